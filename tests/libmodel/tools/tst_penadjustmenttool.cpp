#include "TestSupport.h"

#include "tools/Cursor.h"
#include "tools/PenAdjustmentTool.h"
#include "tools/PenTool.h"

#include <QSignalSpy>

#include <memory>

using Model::PenAdjustmentTool;
using Model::PenTool;
using Model::Tool;

namespace {

// The built-in pencil: size 5-12.31 %, opacity 2-56 %.
std::unique_ptr<PenTool> makePencil()
{
    auto pencil = std::make_unique<PenTool>(Tool::Pencil);
    pencil->setSizeRangeLimits(0.5, 45.0);
    pencil->setOpacityRangeLimits(0.0, 0.75);
    pencil->setSizeRangePercent(5.0, 12.31);
    pencil->setOpacityRangePercent(2.0, 56.0);
    return pencil;
}

} // namespace

#define COMPARE_SIZE(tool, expectedMin, expectedMax)                                           \
    do {                                                                                       \
        QCOMPARE((tool).sizeMinPercent(), double(expectedMin));                                \
        QCOMPARE((tool).sizeMaxPercent(), double(expectedMax));                                \
    } while (false)

#define COMPARE_OPACITY(tool, expectedMin, expectedMax)                                        \
    do {                                                                                       \
        QCOMPARE((tool).opacityMinPercent(), double(expectedMin));                             \
        QCOMPARE((tool).opacityMaxPercent(), double(expectedMax));                             \
    } while (false)

class TestPenAdjustmentTool : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void withoutDrawingToolNothingHappens();
    void setDrawingToolTakesTheStartRanges();

    void sizeDragScalesTheStartRange_data();
    void sizeDragScalesTheStartRange();
    void dragStopsAtTheEnds_data();
    void dragStopsAtTheEnds();

    void switchingAxisRestoresTheOtherRange();
    void draggingBackToTheStartRestoresIt();
    void followsOnlyTheCurrentDrawingTool();
};

void TestPenAdjustmentTool::initTestCase()
{
    Model::Cursor::m_cursorForbidden = QCursor(Qt::ForbiddenCursor);
    Model::Cursor::m_cursorDrag = QCursor(Qt::ClosedHandCursor);
}

void TestPenAdjustmentTool::withoutDrawingToolNothingHappens()
{
    PenAdjustmentTool adjustment;
    QSignalSpy cursorSpy(&adjustment, &Tool::cursorChanged);
    adjustment.adjustSizeRange(2.0);
    adjustment.adjustOpacityRange(2.0);
    QCOMPARE(adjustment.mode(), 0);
    QCOMPARE(cursorSpy.count(), 0);
    QCOMPARE(adjustment.cursor().shape(), Qt::ForbiddenCursor);

    // A drawing tool that goes away is forgotten, not used.
    auto pencil = makePencil();
    adjustment.setDrawingTool(pencil.get());
    QCOMPARE(adjustment.cursor().shape(), Qt::ClosedHandCursor);
    pencil.reset();
    QCOMPARE(adjustment.drawingTool(), nullptr);
    adjustment.adjustSizeRange(2.0);
    QCOMPARE(adjustment.cursor().shape(), Qt::ForbiddenCursor);
}

void TestPenAdjustmentTool::setDrawingToolTakesTheStartRanges()
{
    auto pencil = makePencil();
    // A working size range in force is where the drag starts from.
    pencil->setIncDecSizeRangePercent(-2.0, 20.0);

    PenAdjustmentTool adjustment;
    QSignalSpy cursorSpy(&adjustment, &Tool::cursorChanged);
    adjustment.setDrawingTool(pencil.get());
    QCOMPARE(adjustment.drawingTool(), pencil.get());
    QCOMPARE(adjustment.mode(), 0);
    QCOMPARE(cursorSpy.count(), 1);

    adjustment.setDrawingTool(pencil.get());
    QCOMPARE(cursorSpy.count(), 1);

    adjustment.adjustSizeRange(1.25); // (-2 + 4) x 1.25 - 4, (20 + 4) x 1.25 - 4
    QCOMPARE(pencil->incDecSizeMinPercent(), -1.5);
    QCOMPARE(pencil->incDecSizeMaxPercent(), 26.0);
    COMPARE_SIZE(*pencil, 0.0, 26.0);
    adjustment.adjustOpacityRange(0.8); // the applied 2-56 % was the start
    COMPARE_OPACITY(*pencil, 0.8, 44.0);
}

void TestPenAdjustmentTool::sizeDragScalesTheStartRange_data()
{
    QTest::addColumn<double>("factor");
    QTest::addColumn<double>("workingMin");
    QTest::addColumn<double>("workingMax");
    QTest::addColumn<double>("appliedMin");
    QTest::addColumn<double>("appliedMax");

    // From 5-12.31 %.
    QTest::newRow("20 px right: 1.25^2") << 1.5625 << 10.0625 << 21.484375 << 10.0625 << 21.484375;
    QTest::newRow("10 px left: 1/1.25") << 0.8 << 3.2 << 9.048 << 3.2 << 9.048;
    QTest::newRow("factor below the clamp") << 0.0 << -3.991 << -3.98369 << 0.0 << 0.0;
    QTest::newRow("factor above the clamp") << 5000.0 << 8996.0 << 16306.0 << 100.0 << 100.0;
}

void TestPenAdjustmentTool::sizeDragScalesTheStartRange()
{
    QFETCH(double, factor);
    QFETCH(double, workingMin);
    QFETCH(double, workingMax);
    QFETCH(double, appliedMin);
    QFETCH(double, appliedMax);

    auto pencil = makePencil();
    PenAdjustmentTool adjustment;
    adjustment.setDrawingTool(pencil.get());
    QSignalSpy sizeSpy(pencil.get(), &Model::DrawingTool::sizeRangeChanged);
    QSignalSpy cursorSpy(&adjustment, &Tool::cursorChanged);

    adjustment.adjustSizeRange(factor);
    QCOMPARE(adjustment.mode(), 2);
    QVERIFY(pencil->isIncDecSizeActive());
    QCOMPARE(pencil->incDecSizeMinPercent(), workingMin);
    QCOMPARE(pencil->incDecSizeMaxPercent(), workingMax);
    COMPARE_SIZE(*pencil, appliedMin, appliedMax);
    QCOMPARE(sizeSpy.count(), 1);
    // Each range change of the adjusted tool shows again in the cursor.
    QVERIFY(cursorSpy.count() >= 1);

    // The factor always refers to the start: the same factor again changes nothing.
    adjustment.adjustSizeRange(factor);
    COMPARE_SIZE(*pencil, appliedMin, appliedMax);
    QCOMPARE(pencil->incDecSizeMaxPercent(), workingMax);
}

void TestPenAdjustmentTool::dragStopsAtTheEnds_data()
{
    QTest::addColumn<bool>("sizeAxis");
    QTest::addColumn<double>("end");
    QTest::addColumn<double>("factor");

    QTest::newRow("size growing at 100 %") << true << 100.0 << 1.25;
    QTest::newRow("size shrinking at 0 %") << true << 0.0 << 0.8;
    QTest::newRow("opacity growing at 100 %") << false << 100.0 << 1.25;
    QTest::newRow("opacity shrinking at 0 %") << false << 0.0 << 0.8;
}

void TestPenAdjustmentTool::dragStopsAtTheEnds()
{
    QFETCH(bool, sizeAxis);
    QFETCH(double, end);
    QFETCH(double, factor);

    auto pencil = makePencil();
    if (sizeAxis)
        pencil->setSizeRangePercent(end, end);
    else
        pencil->setOpacityRangePercent(end, end);
    PenAdjustmentTool adjustment;
    adjustment.setDrawingTool(pencil.get());

    if (sizeAxis) {
        adjustment.adjustSizeRange(factor);
        QVERIFY(!pencil->isIncDecSizeActive());
        COMPARE_SIZE(*pencil, end, end);
    } else {
        adjustment.adjustOpacityRange(factor);
        QVERIFY(!pencil->isIncDecOpacityActive());
        COMPARE_OPACITY(*pencil, end, end);
    }

    // Moving away from the end is taken.
    const double back = factor > 1.0 ? 0.5 : 2.0;
    if (sizeAxis) {
        adjustment.adjustSizeRange(back);
        QVERIFY(pencil->sizeMaxPercent() != end || pencil->sizeMinPercent() != end);
    } else {
        adjustment.adjustOpacityRange(back);
        QVERIFY(pencil->opacityMaxPercent() != end || pencil->opacityMinPercent() != end);
    }
}

void TestPenAdjustmentTool::switchingAxisRestoresTheOtherRange()
{
    auto pencil = makePencil();
    PenAdjustmentTool adjustment;
    adjustment.setDrawingTool(pencil.get());

    adjustment.adjustSizeRange(1.5625);
    COMPARE_SIZE(*pencil, 10.0625, 21.484375);
    COMPARE_OPACITY(*pencil, 2.0, 56.0);

    adjustment.adjustOpacityRange(1.25);
    QCOMPARE(adjustment.mode(), 1);
    COMPARE_SIZE(*pencil, 5.0, 12.31);
    COMPARE_OPACITY(*pencil, 3.5, 71.0);

    adjustment.adjustSizeRange(0.8);
    QCOMPARE(adjustment.mode(), 2);
    COMPARE_OPACITY(*pencil, 2.0, 56.0);
    COMPARE_SIZE(*pencil, 3.2, 9.048);
}

void TestPenAdjustmentTool::draggingBackToTheStartRestoresIt()
{
    auto pencil = makePencil();
    PenAdjustmentTool adjustment;
    adjustment.setDrawingTool(pencil.get());

    adjustment.adjustSizeRange(1.5625);
    adjustment.adjustSizeRange(1.0);
    COMPARE_SIZE(*pencil, 5.0, 12.31);

    adjustment.adjustOpacityRange(0.5);
    adjustment.adjustOpacityRange(1.0);
    COMPARE_OPACITY(*pencil, 2.0, 56.0);
}

void TestPenAdjustmentTool::followsOnlyTheCurrentDrawingTool()
{
    auto first = makePencil();
    auto second = std::make_unique<PenTool>(Tool::Brush);
    PenAdjustmentTool adjustment;
    adjustment.setDrawingTool(first.get());
    adjustment.setDrawingTool(second.get());
    QCOMPARE(adjustment.mode(), 0);

    QSignalSpy cursorSpy(&adjustment, &Tool::cursorChanged);
    first->setSizeRangePercent(1.0, 2.0);
    first->setOpacityRangePercent(1.0, 2.0);
    QCOMPARE(cursorSpy.count(), 0);
    second->setOpacityRangePercent(1.0, 2.0);
    second->setSizeRangePercent(1.0, 2.0);
    QCOMPARE(cursorSpy.count(), 2);

    adjustment.setDrawingTool(nullptr);
    second->setSizeRangePercent(3.0, 4.0);
    QCOMPARE(cursorSpy.count(), 3); // the switch itself, nothing after
    QCOMPARE(adjustment.cursor().shape(), Qt::ForbiddenCursor);
}

QUILLMERE_TEST_MAIN(TestPenAdjustmentTool)
#include "tst_penadjustmenttool.moc"
