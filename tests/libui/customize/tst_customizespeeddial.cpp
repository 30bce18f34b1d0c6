#include "TestSupport.h"

#include "DragDriver.h"

#include "customize/CustomizeSpeedDial.h"
#include "customize/RecycleBin.h"
#include "settings/Settings.h"
#include "startup/Init.h"
#include "startup/UIInit.h"

using UI::CustomizeSpeedDial;
using DragDriver::Hop;

namespace {

const QString withGaps = QStringLiteral("Play||Erase|FitPaperToView|BacklightOnOff|ResetView||Lasso");

QString nameIn(const CustomizeSpeedDial& dial, int slot)
{
    const auto* record = dial.slotRecord(slot);
    return record ? record->action->property("KWActionName").toString() : QString();
}

} // namespace

class TestCustomizeSpeedDial : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        Model::init();
        UI::init();
    }

    void layoutStrings()
    {
        CustomizeSpeedDial dial;
        QCOMPARE(dial.size(), QSize(194, 194));
        QCOMPARE(dial.saveSettings(), QStringLiteral("|||||||"));
        dial.restoreSettings(withGaps);
        QCOMPARE(dial.saveSettings(), withGaps);
        QCOMPARE(dial.slotRecord(1), nullptr);
        CustomizeSpeedDial fresh;
        fresh.restoreSettings(dial.saveSettings());
        QCOMPARE(fresh.saveSettings(), withGaps);
        // Fewer tokens leave the rest; unknown keys empty their slot.
        fresh.restoreSettings(QStringLiteral("Bogus|Zoom"));
        QCOMPARE(fresh.saveSettings(),
                 QStringLiteral("|Zoom|Erase|FitPaperToView|BacklightOnOff|ResetView||Lasso"));
    }

    void slotGeometry_data()
    {
        QTest::addColumn<QPointF>("pos");
        QTest::addColumn<int>("slot");
        QTest::newRow("right") << QPointF(97 + 69, 97) << 0;
        QTest::newRow("down") << QPointF(97, 97 + 69) << 2;
        QTest::newRow("upper left") << QPointF(97 - 49, 97 - 49) << 5;
        QTest::newRow("hub") << QPointF(97 + 46, 97) << -1;
        QTest::newRow("beyond the rim") << QPointF(97 + 90, 97) << -1;
        QTest::newRow("corner") << QPointF(2, 2) << -1;
    }

    void slotGeometry()
    {
        QFETCH(QPointF, pos);
        QFETCH(int, slot);
        CustomizeSpeedDial dial;
        QCOMPARE(dial.slotAt(pos), slot);
    }

    void dropsFromTheList_data()
    {
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<int>("slot"); // -1: refused
        QTest::newRow("onto an occupied slot") << QPoint(97, 166) << 2;
        QTest::newRow("onto an empty slot") << QPoint(166, 97) << 0;
        QTest::newRow("into the hub") << QPoint(97, 97) << -1;
        QTest::newRow("beyond the rim") << QPoint(97, 190) << -1;
    }

    void dropsFromTheList()
    {
        QFETCH(QPoint, pos);
        QFETCH(int, slot);
        CustomizeSpeedDial dial;
        dial.restoreSettings(QStringLiteral("|Pan|Rotate"));
        const std::unique_ptr<QMimeData> data(
            UI::ActionDrag::mimeData(QStringLiteral("Zoom"), false));
        const Qt::DropAction result =
            DragDriver::deliver(data.get(), Qt::CopyAction, {{&dial, pos}});
        if (slot < 0) {
            QCOMPARE(result, Qt::IgnoreAction);
            QCOMPARE(dial.saveSettings(), QStringLiteral("|Pan|Rotate|||||"));
            return;
        }
        QCOMPARE(result, Qt::CopyAction);
        QCOMPARE(nameIn(dial, slot), QStringLiteral("Zoom"));
        QCOMPARE(dial.dropHighlightSlot(), slot);
        QCOMPARE(dial.dropSlot(), -1);
        QCOMPARE(dial.saveSettings().count(QStringLiteral("Rotate")), slot == 2 ? 0 : 1);
    }

    void dragOut_data()
    {
        QTest::addColumn<int>("hop"); // 0 slot 5, 1 own slot, 2 bin, 3 nowhere, 4 other dial
        QTest::addColumn<QString>("saved");
        QTest::newRow("to slot 5: moved") << 0 << QStringLiteral("|||||Zoom||");
        QTest::newRow("back onto its own slot") << 1 << QStringLiteral("|||Zoom||||");
        QTest::newRow("onto the bin: emptied") << 2 << QStringLiteral("|||||||");
        QTest::newRow("refused: left in place") << 3 << QStringLiteral("|||Zoom||||");
        QTest::newRow("to the other dial") << 4 << QStringLiteral("|||||||");
    }

    void dragOut()
    {
        QFETCH(int, hop);
        QFETCH(QString, saved);
        CustomizeSpeedDial dial;
        CustomizeSpeedDial other;
        UI::RecycleBin bin;
        dial.restoreSettings(QStringLiteral("|||Zoom"));
        const QPoint slot3 = dial.slotIconCentre(3).toPoint();
        const QPoint slot5 = dial.slotIconCentre(5).toPoint();
        const QList<Hop> hops[] = {{{&dial, slot5}},
                                   {{&dial, slot5}, {&dial, slot3}},
                                   {{&bin, QPoint(100, 100)}},
                                   {{nullptr, QPoint()}},
                                   {{&other, slot5}}};
        DragDriver::Runner runner(hops[hop]);
        DragDriver::pressAndDrag(&dial, slot3);
        QCOMPARE(runner.count, 1);
        QCOMPARE(runner.offered, Qt::DropActions(Qt::MoveAction));
        QCOMPARE(runner.name, QStringLiteral("Zoom"));
        QCOMPARE(runner.text, QStringLiteral("Zoom"));
        QCOMPARE(dial.saveSettings(), saved);
        if (hop == 4)
            QCOMPARE(nameIn(other, 5), QStringLiteral("Zoom"));
    }

    void noDragFromAnEmptySlotOrTheHub()
    {
        CustomizeSpeedDial dial;
        dial.restoreSettings(QStringLiteral("Zoom"));
        DragDriver::Runner runner({{nullptr, QPoint()}});
        DragDriver::pressAndDrag(&dial, dial.slotIconCentre(4).toPoint());
        DragDriver::pressAndDrag(&dial, QPoint(97, 97));
        QCOMPARE(runner.count, 0);
    }

    void emptySlotsShowTheFrame()
    {
        CustomizeSpeedDial dial;
        const QImage empty = dial.grab().toImage();
        dial.restoreSettings(QStringLiteral("Zoom"));
        const QImage filled = dial.grab().toImage();
        const QRect slot0(166 - 16, 97 - 16, 32, 32);
        QVERIFY(empty.copy(slot0) != filled.copy(slot0));
        const QRect slot4(28 - 16, 97 - 16, 32, 32);
        QCOMPARE(empty.copy(slot4), filled.copy(slot4));
    }
};

QUILLMERE_TEST_MAIN(TestCustomizeSpeedDial)
#include "tst_customizespeeddial.moc"
