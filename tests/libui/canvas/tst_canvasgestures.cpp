#include "TestSupport.h"

#include "canvas/PenAdjustmentGesture.h"
#include "canvas/ScrubGesture.h"
#include "tools/DrawingTool.h"
#include "tools/ScrubbingTool.h"
#include "tools/ToolManager.h"

#include <QSignalSpy>

using Model::Tool;
using Model::ToolManager;

class TestCanvasGestures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void scrubbingCountsSixteenPixelsPerFrame_data();
    void scrubbingCountsSixteenPixelsPerFrame();
    void scrubbingKeepsTheBoundedOffsetForTheNextDrag();
    void scrubbingPressStartsTheToolOnce();
    void penAdjustmentPicksOneAxis();
    void penAdjustmentScalesTheSizeRange();
};

void TestCanvasGestures::initTestCase()
{
    ToolManager::instance()->init();
    QApplication::setStartDragDistance(10);
}

void TestCanvasGestures::scrubbingCountsSixteenPixelsPerFrame_data()
{
    QTest::addColumn<QPointF>("travel");
    QTest::addColumn<int>("offset");

    QTest::newRow("right and down add up") << QPointF(8, 8) << 1;
    QTest::newRow("a pixel left is a frame back") << QPointF(-1, 0) << -1;
    QTest::newRow("just short of a frame") << QPointF(15, 0) << 0;
    QTest::newRow("up counts back") << QPointF(0, -32) << -2;
    QTest::newRow("across cancels") << QPointF(40, -40) << 0;
}

void TestCanvasGestures::scrubbingCountsSixteenPixelsPerFrame()
{
    QFETCH(QPointF, travel);
    QFETCH(int, offset);

    UI::ScrubGesture gesture;
    QPointF const press(100, 100);
    QCOMPARE(gesture.move(press, press + travel), offset);
    // From a base reached by an earlier drag.
    gesture.release(press, press + QPointF(48, 0));
    QCOMPARE(gesture.base(), 3);
    QCOMPARE(gesture.move(press, press + travel), 3 + offset);
}

void TestCanvasGestures::scrubbingKeepsTheBoundedOffsetForTheNextDrag()
{
    UI::ScrubGesture gesture;
    gesture.setBounds(-3, 5);
    QPointF const press(0, 0);
    QCOMPARE(gesture.move(press, QPointF(144, 0)), 9); // unbounded while dragging
    gesture.release(press, QPointF(144, 0));
    QCOMPARE(gesture.base(), 5);
    QCOMPARE(gesture.move(press, QPointF(-16, 0)), 4);
    gesture.release(press, QPointF(-200, 0));
    QCOMPARE(gesture.base(), -3);

    gesture.resetBase();
    QCOMPARE(gesture.move(press, QPointF(16, 0)), 1);
}

void TestCanvasGestures::scrubbingPressStartsTheToolOnce()
{
    auto* tool = qobject_cast<Model::ScrubbingTool*>(ToolManager::instance()->tool(Tool::Scrubbing));
    QVERIFY(tool);
    tool->setStarted(false);
    QStringList order;
    connect(tool, &Tool::cursorChanged, this, [&] { order << QStringLiteral("cursor"); });
    connect(tool, &Model::ScrubbingTool::scrubbingStarted, this,
            [&] { order << QStringLiteral("started"); });

    UI::ScrubGesture gesture;
    gesture.press();
    gesture.press();
    QCOMPARE(order, (QStringList{"cursor", "started"}));
    QVERIFY(tool->isStarted());
    disconnect(tool, nullptr, this, nullptr);
}

void TestCanvasGestures::penAdjustmentPicksOneAxis()
{
    ToolManager* tools = ToolManager::instance();
    tools->setCurrentTool(Tool::Draw, Tool::Usable);
    auto* pen = qobject_cast<Model::DrawingTool*>(tools->tool(Tool::Draw));
    pen->setSizeRangePercent(10.0, 40.0);
    pen->setOpacityRangePercent(20.0, 60.0);
    double const opacityMin = pen->incDecOpacityMinPercent();
    double const sizeMin = pen->incDecSizeMinPercent();

    UI::PenAdjustmentGesture gesture;
    gesture.press();
    QCOMPARE(tools->currentToolType(), Tool::PenAdjustment);
    QPointF const press(50, 50);
    // 3 right and 3 down: within the start-drag distance, nothing moves.
    gesture.move(press, press + QPointF(3, 3));
    QCOMPARE(gesture.axis(), UI::PenAdjustmentGesture::Undecided);
    QCOMPARE(pen->incDecSizeMinPercent(), sizeMin);
    QCOMPARE(pen->incDecOpacityMinPercent(), opacityMin);

    gesture.move(press, press + QPointF(12, 2));
    QCOMPARE(gesture.axis(), UI::PenAdjustmentGesture::Horizontal);
    QVERIFY(pen->incDecSizeMinPercent() > sizeMin);
    // Moving up and down now changes nothing but the size.
    gesture.move(press, press + QPointF(12, -80));
    QCOMPARE(gesture.axis(), UI::PenAdjustmentGesture::Horizontal);
    QCOMPARE(pen->incDecOpacityMinPercent(), opacityMin);

    gesture.release();
    QCOMPARE(tools->currentToolType(), Tool::Draw);
}

void TestCanvasGestures::penAdjustmentScalesTheSizeRange()
{
    ToolManager* tools = ToolManager::instance();
    tools->setCurrentTool(Tool::Draw, Tool::Usable);
    auto* pen = qobject_cast<Model::DrawingTool*>(tools->tool(Tool::Draw));
    QPointF const press(50, 50);

    // Two adjustments in a row: each starts from the ranges at its press.
    for (double const start : {10.0, 20.0}) {
        pen->setSizeRangePercent(start, 40.0);
        UI::PenAdjustmentGesture gesture;
        gesture.press();
        gesture.move(press, press + QPointF(20, 0));
        QVERIFY(qFuzzyCompare(pen->incDecSizeMinPercent(), (start + 4.0) * 1.5625 - 4.0));
        QVERIFY(qFuzzyCompare(pen->incDecSizeMaxPercent(), 44.0 * 1.5625 - 4.0));
        gesture.move(press, press);
        QVERIFY(qFuzzyCompare(pen->incDecSizeMinPercent(), start));
        gesture.release();
    }

    // Ten pixels up multiply the opacity range by 1.25.
    pen->setOpacityRangePercent(20.0, 60.0);
    UI::PenAdjustmentGesture gesture;
    gesture.press();
    gesture.move(press, press + QPointF(0, -10));
    QVERIFY(qFuzzyCompare(pen->incDecOpacityMaxPercent(), 64.0 * 1.25 - 4.0));
    gesture.release();
}

QUILLMERE_TEST_MAIN(TestCanvasGestures)

#include "tst_canvasgestures.moc"
