#include "TestSupport.h"

#include "actions/ActionManager.h"
#include "panels/SpeedDial.h"
#include "panels/SpeedDialGraphicsEffect.h"
#include "settings/Settings.h"
#include "startup/Init.h"
#include "startup/UIInit.h"

#include <QAction>
#include <QSettings>
#include <QSignalSpy>

#include <QtMath>

using UI::SpeedDial;
using UI::SpeedDialGraphicsEffect;

namespace {

// Eight harmless actions, one per slot, so that every direction names one.
const QString eightActions = QStringLiteral(
    "MirrorView|GridOnOff|ResetView|FitPaperToView|JumpToStart|JumpToEnd|Pan|Zoom");

QAction* action(const QString& key)
{
    return Model::ActionManager::instance()->action(key);
}

QPointF atScreenAngle(QPointF centre, double degrees, double radius)
{
    const double a = qDegreesToRadians(degrees);
    return centre + radius * QPointF(std::cos(a), std::sin(a));
}

void sendMouse(QWidget* w, QEvent::Type type, QPointF pos, Qt::MouseButtons buttons)
{
    QMouseEvent event(type, pos, w->mapToGlobal(pos), type == QEvent::MouseMove ? Qt::NoButton
                                                                               : Qt::LeftButton,
                      buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

} // namespace

class TestSpeedDial : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        Model::init();
        UI::init();
    }

    void selectionByDirection_data()
    {
        QTest::addColumn<double>("degrees"); // clockwise from the right on screen
        QTest::addColumn<double>("radius");
        QTest::addColumn<int>("slot");       // -1: nothing chosen

        QTest::newRow("right") << 0.0 << 70.0 << 0;
        QTest::newRow("22 below right") << 22.0 << 70.0 << 0;
        QTest::newRow("23 below right") << 23.0 << 70.0 << 1;
        QTest::newRow("22 above right") << -22.0 << 70.0 << 0;
        QTest::newRow("23 above right") << -23.0 << 70.0 << 7;
        QTest::newRow("lower right") << 45.0 << 70.0 << 1;
        QTest::newRow("down") << 90.0 << 70.0 << 2;
        QTest::newRow("lower left") << 135.0 << 70.0 << 3;
        QTest::newRow("left") << 180.0 << 70.0 << 4;
        QTest::newRow("upper left") << 225.0 << 70.0 << 5;
        QTest::newRow("up") << 270.0 << 70.0 << 6;
        QTest::newRow("upper right") << 315.0 << 70.0 << 7;
        QTest::newRow("just past the inner radius") << 90.0 << 46.8 << 2;
        QTest::newRow("beyond the ring still points") << 90.0 << 150.0 << 2;
        QTest::newRow("dead centre") << 0.0 << 0.0 << -1;
        QTest::newRow("inside the hub") << 135.0 << 46.0 << -1;
    }

    void selectionByDirection()
    {
        QFETCH(double, degrees);
        QFETCH(double, radius);
        QFETCH(int, slot);
        SpeedDial dial;
        dial.restoreSettings(eightActions);
        SpeedDialGraphicsEffect* effect = dial.effect();
        const QPointF centre = effect->centre();
        effect->mousePress(centre);
        QVERIFY(effect->isSelecting());
        effect->setSelectLineEndPoint(atScreenAngle(centre, degrees, radius));
        QAction* chosen = effect->endSelection(SpeedDialGraphicsEffect::KeepHighlight);
        QCOMPARE(chosen, slot < 0 ? nullptr : effect->action(slot));
        QCOMPARE(effect->postSelectionSlot(), slot);
        QVERIFY(!effect->isSelecting());
        QVERIFY(!effect->isHighlighted());
    }

    void emptyAndDisabledSlotsAreNeverChosen()
    {
        SpeedDial dial;
        dial.restoreSettings(QStringLiteral("|GridOnOff"));
        SpeedDialGraphicsEffect* effect = dial.effect();
        const QPointF centre = effect->centre();
        effect->mousePress(centre);
        effect->setSelectLineEndPoint(atScreenAngle(centre, 0, 70));
        QCOMPARE(effect->endSelection(SpeedDialGraphicsEffect::KeepHighlight), nullptr);

        action(QStringLiteral("GridOnOff"))->setEnabled(false);
        effect->mousePress(centre);
        effect->setSelectLineEndPoint(atScreenAngle(centre, 45, 70));
        QAction* chosen = effect->endSelection(SpeedDialGraphicsEffect::KeepHighlight);
        action(QStringLiteral("GridOnOff"))->setEnabled(true);
        QCOMPARE(chosen, nullptr);
        QCOMPARE(effect->postSelectionSlot(), -1);
    }

    void selectionWaitsWhenShownAwayFromTheHub()
    {
        SpeedDial dial;
        dial.restoreSettings(eightActions);
        SpeedDialGraphicsEffect* effect = dial.effect();
        const QPointF start = atScreenAngle(effect->centre(), 90, 70);
        effect->mousePress(start); // outside the hub: nothing
        effect->setInitialSelectLineEndPoint(start);
        QVERIFY(!effect->isSelecting());
        effect->setSelectLineEndPoint(start + QPointF(3, 4)); // exactly 5: still waiting
        QVERIFY(!effect->isSelecting());
        QCOMPARE(effect->endSelection(SpeedDialGraphicsEffect::KeepHighlight), nullptr);

        effect->setInitialSelectLineEndPoint(start);
        effect->setSelectLineEndPoint(start + QPointF(4, 4));
        QVERIFY(effect->isSelecting());
        QVERIFY(effect->isHighlighted());
        QCOMPARE(effect->endSelection(SpeedDialGraphicsEffect::KeepHighlight), effect->action(2));
    }

    void layoutStrings()
    {
        SpeedDial dial;
        dial.restoreSettings(eightActions);
        QCOMPARE(dial.saveSettings(), eightActions);

        // Fewer tokens leave the other slots; unknown keys empty theirs.
        dial.restoreSettings(QStringLiteral("Play|Bogus|"));
        QCOMPARE(dial.saveSettings(),
                 QStringLiteral("Play|||FitPaperToView|JumpToStart|JumpToEnd|Pan|Zoom"));

        SpeedDial fresh;
        QCOMPARE(fresh.saveSettings(), QStringLiteral("|||||||"));
    }

    void storedLayoutsHoldEightTokens()
    {
        Model::Settings* settings = Model::Settings::instance();
        QCOMPARE(settings->primarySpeedDialSettings().split(QLatin1Char('|')).size(), 8);
        QCOMPARE(settings->secondarySpeedDialSettings().split(QLatin1Char('|')).size(), 8);

        SpeedDial primary;
        primary.restoreSettings(settings->primarySpeedDialSettings());
        QCOMPARE(primary.saveSettings(), Model::Settings::defaultPrimarySpeedDialSettings);
        primary.restoreSettings(QStringLiteral("Bogus"));
        settings->setPrimarySpeedDialSettings(primary.saveSettings());
        SpeedDial secondary;
        secondary.restoreSettings(QStringLiteral("Play"));
        settings->setSecondarySpeedDialSettings(secondary.saveSettings());

        QSettings store;
        const QString storedPrimary =
            store.value(QStringLiteral("Preferences/SpeedDials/PrimaryActionList")).toString();
        const QString storedSecondary =
            store.value(QStringLiteral("Preferences/SpeedDials/SecondaryActionList")).toString();
        QCOMPARE(storedPrimary.split(QLatin1Char('|')).size(), 8);
        QCOMPARE(storedSecondary, QStringLiteral("Play|||||||"));
        QCOMPARE(storedPrimary.section(QLatin1Char('|'), 0, 0), QString());
        QCOMPARE(storedPrimary.section(QLatin1Char('|'), 1), QStringLiteral("Cutter|Erase|"
                 "FitPaperToView|BacklightOnOff|ResetView|Draw|Lasso"));

        settings->setPrimarySpeedDialSettings(Model::Settings::defaultPrimarySpeedDialSettings);
        settings->setSecondarySpeedDialSettings(Model::Settings::defaultSecondarySpeedDialSettings);
    }

    void toolTips()
    {
        SpeedDial dial;
        dial.restoreSettings(QStringLiteral("GridOnOff"));
        SpeedDialGraphicsEffect* effect = dial.effect();
        const QPointF c = effect->centre();
        QCOMPARE(effect->toolTipText(c.toPoint()), QStringLiteral("Select nothing"));
        QCOMPARE(effect->toolTipText(atScreenAngle(c, 0, 70).toPoint()),
                 action(QStringLiteral("GridOnOff"))->toolTip());
        QCOMPARE(effect->toolTipText(atScreenAngle(c, 90, 70).toPoint()), QString());
        QCOMPARE(effect->toolTipText(QPoint(1, 1)), QString());
    }

    void scaledGeometry()
    {
        Model::Settings::instance()->setUIScalePercent(125);
        SpeedDial dial;
        Model::Settings::instance()->setUIScalePercent(100);
        QCOMPARE(dial.size(), QSize(242, 242));
        QCOMPARE(dial.effect()->centre(), QPointF(121.25, 121.25));
        QCOMPARE(dial.effect()->outerRadius(), 112.1875);
        QCOMPARE(dial.effect()->innerRadius(), 58.4375);
        dial.updateUISize();
        QCOMPARE(dial.size(), QSize(194, 194));
        QCOMPARE(dial.effect()->centre(), QPointF(97, 97));
    }

    // The shown dial, as the main window drives it. Grabbing the mouse needs
    // a window manager to be reliable, so only the outcomes are checked.
    void shownDial()
    {
        QWidget window;
        window.resize(400, 400);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        SpeedDial dial(&window);
        dial.setPostSelectionInterval(30);
        dial.restoreSettings(eightActions);
        dial.move(50, 50);
        QCursor::setPos(dial.mapToGlobal(QPoint(97, 97)));
        QAction* down = action(QStringLiteral("ResetView"));
        QSignalSpy triggered(down, &QAction::triggered);
        QSignalSpy selected(&dial, &SpeedDial::functionSelected);

        // Key released in the hub: hidden, nothing triggered.
        dial.show();
        dial.selectAndHide();
        QVERIFY(!dial.isVisible());
        QCOMPARE(triggered.count(), 0);

        // Click toward slot 2, then the key: one trigger, hidden after the
        // highlight.
        dial.show();
        const QPointF centre = dial.effect()->centre();
        sendMouse(&dial, QEvent::MouseButtonPress, centre, Qt::LeftButton);
        sendMouse(&dial, QEvent::MouseMove, centre + QPointF(0, 70), Qt::LeftButton);
        sendMouse(&dial, QEvent::MouseButtonRelease, centre + QPointF(0, 70), Qt::NoButton);
        QCOMPARE(triggered.count(), 1);
        QVERIFY(dial.isShowingSelectionHighlight());
        QCOMPARE(dial.grab().size(), dial.size()); // the highlight paints
        dial.selectAndHide();
        QVERIFY(dial.isVisible());
        QTRY_VERIFY(!dial.isVisible());
        QCOMPARE(triggered.count(), 1);
        QCOMPARE(selected.count(), 1);

        // Hidden by other means while a slot is lit: it still counts.
        dial.show();
        sendMouse(&dial, QEvent::MouseMove, centre + QPointF(0, 70), Qt::NoButton);
        QVERIFY(dial.effect()->isHighlighted());
        dial.hide();
        QCOMPARE(triggered.count(), 2);
        QCOMPARE(selected.count(), 2);
    }
};

QUILLMERE_TEST_MAIN(TestSpeedDial)
#include "tst_speeddial.moc"
