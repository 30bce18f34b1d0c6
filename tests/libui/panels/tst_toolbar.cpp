#include "TestSupport.h"

#include "actions/ActionManager.h"
#include "panels/ToolBar.h"
#include "panels/ToolBarHandle.h"
#include "settings/Settings.h"
#include "startup/Init.h"
#include "startup/UIInit.h"

#include <QAction>
#include <QGraphicsDropShadowEffect>
#include <QSignalSpy>

using UI::ToolBar;

namespace {

// The columns as "Draw,_,Pan/…": action keys, "_" for a gap, "/" between
// columns.
QString describe(const ToolBar& bar)
{
    QStringList columns;
    for (const QList<QAction*>& column : bar.columns()) {
        QStringList entries;
        for (const QAction* entry : column)
            entries += entry ? entry->property("KWActionName").toString() : QStringLiteral("_");
        columns += entries.join(QLatin1Char(','));
    }
    return columns.join(QLatin1Char('/'));
}

QAction* action(const char* key)
{
    return Model::ActionManager::instance()->action(QString::fromLatin1(key));
}

} // namespace

class TestToolBar : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        Model::init();
        UI::init();
    }

    void layoutString_data()
    {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("columns");
        QTest::addColumn<QSize>("size");

        QTest::newRow("one column") << "Draw|Erase|Spacer|Pan" << "Draw,Erase,_,Pan"
                                    << QSize(56, 156);
        QTest::newRow("leading break ignored") << "NewToolBarColumn|Draw" << "Draw" << QSize(56, 56);
        QTest::newRow("empty middle column kept")
            << "Draw|NewToolBarColumn|NewToolBarColumn|Pan" << "Draw//Pan" << QSize(140, 56);
        QTest::newRow("breaks capped at the third column")
            << "Draw|NewToolBarColumn|Erase|NewToolBarColumn|Pan|NewToolBarColumn|Zoom"
            << "Draw/Erase/Pan,Zoom" << QSize(140, 96);
        QTest::newRow("unknown and empty keys are gaps") << "Draw|Bogus||Pan" << "Draw,_,_,Pan"
                                                         << QSize(56, 136);
        QTest::newRow("empty string is one gap") << "" << "_" << QSize(56, 36);
        QTest::newRow("default layout")
            << Model::Settings::defaultToolBarSettings
            << "Draw,Erase,_,BacklightOnOff,_,Pan,Zoom,Rotate,_,AddBlankDrawing,"
               "ClearDrawingMakingBlank,DiscardDrawing"
            << QSize(56, 9 * 40 + 3 * 20 + 16);
    }

    void layoutString()
    {
        QFETCH(QString, layout);
        QFETCH(QString, columns);
        QFETCH(QSize, size);
        QWidget parent;
        ToolBar bar(&parent);
        bar.restoreSettings(layout);
        QCOMPARE(describe(bar), columns);
        QCOMPARE(bar.size(), size);
    }

    void emptyBarHasEmptySizeAndPaintsNothing()
    {
        QWidget parent;
        ToolBar bar(&parent);
        bar.restoreSettings(QStringLiteral("NewToolBarColumn|NewToolBarColumn"));
        QCOMPARE(describe(bar), QString());
        QVERIFY(bar.size().isEmpty());
        QVERIFY(bar.grab().isNull() || bar.grab().toImage().pixelColor(0, 0).alpha() == 0);
    }

    void scaledMetrics()
    {
        Model::Settings::instance()->setUIScalePercent(125);
        QWidget parent;
        ToolBar bar(&parent);
        bar.restoreSettings(QStringLiteral("Draw|Spacer"));
        Model::Settings::instance()->setUIScalePercent(100);
        // W = 50, action 50, spacer 25.
        QCOMPARE(bar.size(), QSize(52 + 14, 50 + 25 + 16));
        auto* shadow = qobject_cast<QGraphicsDropShadowEffect*>(bar.graphicsEffect());
        QVERIFY(shadow);
        QCOMPARE(shadow->blurRadius(), 87.0);
        bar.setPosition(KW::ToolBarPosition::Right);
        bar.moveLeftAndRightCenter(QPoint(0, 300), QPoint(800, 300));
        QCOMPARE(bar.geometry().right() + 1, 800 - 40);

        bar.updateUISize();
        QCOMPARE(bar.size(), QSize(56, 76));
        QCOMPARE(shadow->blurRadius(), 70.0);
    }

    void placement_data()
    {
        QTest::addColumn<KW::ToolBarPosition>("side");
        QTest::newRow("left") << KW::ToolBarPosition::Left;
        QTest::newRow("right") << KW::ToolBarPosition::Right;
    }

    void placement()
    {
        QFETCH(KW::ToolBarPosition, side);
        QWidget parent;
        parent.resize(900, 600);
        ToolBar bar(&parent);
        bar.restoreSettings(QStringLiteral("Draw|Erase"));
        bar.setPosition(side);
        bar.moveLeftAndRightCenter(QPoint(10, 300), QPoint(800, 300));
        UI::ToolBarHandle* handle = bar.handle();
        QCOMPARE(bar.geometry().center().y(), 300 - 1);
        if (side == KW::ToolBarPosition::Left) {
            QCOMPARE(handle->x(), 10);
            QCOMPARE(bar.x(), 10 + 32);
        } else {
            QCOMPARE(handle->geometry().right() + 1, 800);
            QCOMPARE(bar.geometry().right() + 1, 800 - 32);
        }
        QCOMPARE(handle->y(), 300 - 15 / 2);
    }

    void slotAt_data()
    {
        QTest::addColumn<QPointF>("pos");
        QTest::addColumn<QPoint>("slot");
        // Two columns: Draw, gap, Erase | Pan. Bar 98 x 116; column 0 from y 8,
        // column 1 (height 40) from y 38.
        QTest::newRow("left margin") << QPointF(7.4, 30) << QPoint(-1, -1);
        QTest::newRow("first pixel of column 0") << QPointF(8.0, 30) << QPoint(0, 0);
        QTest::newRow("gap entry") << QPointF(20, 55) << QPoint(0, 1);
        QTest::newRow("last entry") << QPointF(47, 107) << QPoint(0, 2);
        QTest::newRow("gap between columns") << QPointF(48.6, 60) << QPoint(-1, -1);
        QTest::newRow("column 1") << QPointF(50, 60) << QPoint(1, 0);
        QTest::newRow("above column 1") << QPointF(60, 37) << QPoint(-1, -1);
        QTest::newRow("below column 1") << QPointF(60, 78) << QPoint(-1, -1);
        QTest::newRow("below column 0") << QPointF(20, 108) << QPoint(-1, -1);
    }

    void slotAt()
    {
        QFETCH(QPointF, pos);
        QFETCH(QPoint, slot);
        QWidget parent;
        ToolBar bar(&parent);
        bar.restoreSettings(QStringLiteral("Draw|Spacer|Erase|NewToolBarColumn|Pan"));
        QCOMPARE(bar.size(), QSize(98, 116));
        QCOMPARE(bar.slotAt(pos), slot);
    }

    void clicksTriggerOnlyTheEnabledPressedButton()
    {
        QWidget parent;
        parent.resize(400, 400);
        ToolBar bar(&parent);
        bar.restoreSettings(QStringLiteral("MirrorView|GridOnOff"));
        QAction* first = action("MirrorView");
        QAction* second = action("GridOnOff");
        QVERIFY(first && second);
        QSignalSpy firstSpy(first, &QAction::triggered);
        QSignalSpy secondSpy(second, &QAction::triggered);
        const QPoint firstCentre(28, 28);
        const QPoint secondCentre(28, 68);

        QTest::mousePress(&bar, Qt::LeftButton, {}, firstCentre);
        QTest::mouseRelease(&bar, Qt::LeftButton, {}, secondCentre);
        QCOMPARE(firstSpy.count() + secondSpy.count(), 0);

        QTest::mousePress(&bar, Qt::LeftButton, {}, secondCentre);
        QTest::mouseRelease(&bar, Qt::LeftButton, {}, secondCentre + QPoint(5, 5));
        QCOMPARE(secondSpy.count(), 1);

        first->setEnabled(false);
        QTest::mouseClick(&bar, Qt::LeftButton, {}, firstCentre);
        first->setEnabled(true);
        QCOMPARE(firstSpy.count(), 0);
        second->trigger(); // back to where it was
    }

    void checkedActionShowsClickArtwork()
    {
        QWidget parent;
        ToolBar bar(&parent);
        bar.restoreSettings(QStringLiteral("MirrorView"));
        QAction* mirror = action("MirrorView");
        QVERIFY(mirror->isCheckable());
        const bool wasChecked = mirror->isChecked();
        // Just below the icon, inside the pressed look drawn 2 pixels low.
        const QPoint probe(28, 28 + 2 + 16);
        mirror->setChecked(false);
        const QColor plain = bar.grab().toImage().pixelColor(probe);
        mirror->setChecked(true);
        const QColor lit = bar.grab().toImage().pixelColor(probe);
        mirror->setChecked(wasChecked);
        QCOMPARE(plain, QColor(221, 216, 213));
        QVERIFY2(lit.lightness() < plain.lightness() - 20, qPrintable(lit.name()));
    }

    void handleTogglesTheBarBothWays()
    {
        QWidget parent;
        parent.resize(600, 400);
        ToolBar bar(&parent);
        bar.restoreSettings(QStringLiteral("Draw"));
        bar.setPosition(KW::ToolBarPosition::Right);
        bar.moveLeftAndRightCenter(QPoint(0, 200), QPoint(600, 200));
        parent.show();
        QVERIFY(QTest::qWaitForWindowExposed(&parent));
        UI::ToolBarHandle* handle = bar.handle();
        QVERIFY(bar.isVisible());
        QVERIFY(handle->isOpened());
        QCOMPARE(handle->toolTip(), QStringLiteral("Hide Tool Bar"));
        QCOMPARE(handle->width(), 32);
        QSignalSpy toggled(&bar, &ToolBar::toggled);

        // Opened: only 9..23 counts.
        QTest::mouseClick(handle, Qt::LeftButton, {}, QPoint(5, 7));
        QVERIFY(bar.isVisible());
        QTest::mouseClick(handle, Qt::LeftButton, {}, QPoint(16, 7));
        QVERIFY(!bar.isVisible());
        QCOMPARE(toggled.count(), 1);
        QCOMPARE(toggled.at(0).at(0).toBool(), false);
        QCOMPARE(handle->size(), QSize(23, 15));
        QCOMPARE(handle->geometry().right() + 1, 600);
        QCOMPARE(handle->toolTip(), QStringLiteral("Show Tool Bar"));

        // Closed on the right: x <= 14 counts.
        QTest::mouseClick(handle, Qt::LeftButton, {}, QPoint(20, 7));
        QVERIFY(!bar.isVisible());
        QTest::mouseClick(handle, Qt::LeftButton, {}, QPoint(3, 7));
        QVERIFY(bar.isVisible());

        // The owner hides the bar: the handle follows without a toggle.
        bar.hide();
        QVERIFY(!handle->isOpened());
        QCOMPARE(toggled.count(), 2);
    }
};

QUILLMERE_TEST_MAIN(TestToolBar)
#include "tst_toolbar.moc"
