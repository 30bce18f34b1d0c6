#include "TestSupport.h"

#include "PenEvents.h"

#include "actions/ActionManager.h"
#include "panels/ToolPocket.h"
#include "startup/Init.h"
#include "startup/UIInit.h"

#include <QAction>
#include <QSignalSpy>

using UI::ToolPocket;

namespace {

QAction* action(const char* key)
{
    return Model::ActionManager::instance()->action(QString::fromLatin1(key));
}

// A pocket 200 x 44: the slots stand from x = 40 in steps of 40, the slot row
// from y = 44 - 47 < 0, so the whole height.
struct Pocket
{
    QWidget window;
    ToolPocket* pocket = new ToolPocket(&window);
    Pocket()
    {
        pocket->setToolAction(0, action("Pencil"));
        pocket->setToolAction(1, action("Marker"));
        pocket->setToolAction(2, action("Brush"));
        pocket->resize(200, 44);
        window.resize(300, 100);
        window.show();
    }
};

QPoint slotCentre(int slot)
{
    return QPoint(40 + 40 * slot + 20, 25);
}

} // namespace

class TestToolPocket : public QObject
{
    Q_OBJECT

    quint64 clock = 1000;

    void click(QWidget* w, QPoint press, QPoint release)
    {
        clock += 100;
        PenEvents::mouse(w, QEvent::MouseButtonPress, press, clock);
        PenEvents::mouse(w, QEvent::MouseButtonRelease, release, clock + 50);
    }

private slots:
    void initTestCase()
    {
        Model::init();
        UI::init();
    }

    void init() { action("Pencil")->setChecked(true); }

    void slotAt_data()
    {
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<int>("slot");
        QTest::newRow("left of the block") << QPoint(39, 30) << -1;
        QTest::newRow("first pixel of slot 0") << QPoint(40, 30) << 0;
        QTest::newRow("slot 1") << QPoint(80, 30) << 1;
        QTest::newRow("last pixel of slot 2") << QPoint(159, 30) << 2;
        QTest::newRow("right of the block") << QPoint(160, 30) << -1;
    }

    void slotAt()
    {
        QFETCH(QPoint, pos);
        QFETCH(int, slot);
        Pocket p;
        QCOMPARE(p.pocket->slotAt(pos), slot);
        // In pop-up mode the pocket is taller and the row keeps to its bottom.
        p.pocket->setPopup(true);
        p.pocket->resize(200, 57);
        QCOMPARE(p.pocket->slotAt(pos + QPoint(0, 13)), slot);
        QCOMPARE(p.pocket->slotAt(QPoint(pos.x(), 9)), -1);
    }

    void sizes()
    {
        ToolPocket pocket;
        QCOMPARE(pocket.minimumSize(), QSize(3 * 40 + 16, 44));
        QCOMPARE(pocket.maximumHeight(), 57);
        pocket.setPopup(true);
        QCOMPARE(pocket.minimumHeight(), 57);
        pocket.updateUISize();
        QCOMPARE(pocket.minimumHeight(), 44);
        QCOMPARE(pocket.toolAction(3), nullptr);
        pocket.setToolAction(-1, action("Pencil"));
        QCOMPARE(pocket.toolAction(-1), nullptr);
    }

    void clickChoosesTheToolAndShowsIt()
    {
        Pocket p;
        QSignalSpy pressed(p.pocket, &ToolPocket::pressed);
        QSignalSpy triggered(action("Marker"), &QAction::triggered);
        const QImage pencilUp = p.pocket->grab().toImage();

        click(p.pocket, slotCentre(1), slotCentre(1));
        QCOMPARE(triggered.count(), 1);
        QCOMPARE(pressed.count(), 1);
        QCOMPARE(pressed.at(0).at(0).toInt(), 1);
        QVERIFY(action("Marker")->isChecked());
        const QImage markerUp = p.pocket->grab().toImage();
        // The raised icon and its highlight moved from slot 0 to slot 1.
        const QRect slot0(40, 0, 40, 37);
        const QRect slot1(80, 0, 40, 37);
        QVERIFY(pencilUp.copy(slot0) != markerUp.copy(slot0));
        QVERIFY(pencilUp.copy(slot1) != markerUp.copy(slot1));

        // Switching elsewhere shows at once.
        action("Brush")->trigger();
        const QImage brushUp = p.pocket->grab().toImage();
        QVERIFY(brushUp.copy(QRect(120, 0, 40, 37)) != markerUp.copy(QRect(120, 0, 40, 37)));
    }

    void pressAndReleaseOnDifferentSlotsDoNothing()
    {
        Pocket p;
        QSignalSpy pressed(p.pocket, &ToolPocket::pressed);
        click(p.pocket, slotCentre(1), slotCentre(2));
        click(p.pocket, slotCentre(1), QPoint(180, 25));
        QCOMPARE(pressed.count(), 0);
        QVERIFY(action("Pencil")->isChecked());
    }

    void penTapCountsOnce()
    {
        Pocket p;
        QSignalSpy pressed(p.pocket, &ToolPocket::pressed);
        clock += 100;
        QVERIFY(PenEvents::tablet(p.pocket, QEvent::TabletPress, slotCentre(2), clock));
        // The system's mouse copy of the press, within 10 ms, over slot 0.
        PenEvents::mouse(p.pocket, QEvent::MouseButtonPress, slotCentre(0), clock + 5);
        QVERIFY(PenEvents::tablet(p.pocket, QEvent::TabletRelease, slotCentre(2), clock + 30));
        QCOMPARE(pressed.count(), 1);
        QCOMPARE(pressed.at(0).at(0).toInt(), 2);
        QVERIFY(action("Brush")->isChecked());
        // A press 10 ms after the release counts again.
        PenEvents::mouse(p.pocket, QEvent::MouseButtonPress, slotCentre(0), clock + 40);
        PenEvents::mouse(p.pocket, QEvent::MouseButtonRelease, slotCentre(0), clock + 60);
        QCOMPARE(pressed.count(), 2);
        QVERIFY(action("Pencil")->isChecked());
    }

    void hoverOutsideTheSlotsIsIgnored()
    {
        // A window of its own, so that an ignored move travels no further.
        ToolPocket pocket;
        pocket.setToolAction(1, action("Marker"));
        pocket.resize(200, 44);
        const auto move = [&](QPoint pos) {
            QMouseEvent event(QEvent::MouseMove, QPointF(pos), QPointF(pos), Qt::NoButton,
                              Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(&pocket, &event);
            return event.isAccepted();
        };
        QVERIFY(!move(QPoint(10, 25)));
        QVERIFY(move(slotCentre(1)));
        QCOMPARE(pocket.hoveredSlot(), 1);
        QVERIFY(move(QPoint(10, 25))); // leaving a slot repaints once
        QCOMPARE(pocket.hoveredSlot(), -1);
        QVERIFY(!move(QPoint(12, 25)));
        move(slotCentre(2));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&pocket, &leave);
        QCOMPARE(pocket.hoveredSlot(), -1);
    }

    void bottomCenter()
    {
        Pocket p;
        QCOMPARE(p.pocket->bottomCenter(), p.pocket->mapToGlobal(QPoint(100, 45)));
    }
};

QUILLMERE_TEST_MAIN(TestToolPocket)
#include "tst_toolpocket.moc"
