// Scrubbing and pen adjustment reached through the canvas's input routing:
// the scrubbing tool's drags reporting frame offsets from where the press
// began, bounded between drags and started afresh when the tool is taken up
// again; and a pen or mouse press with Alt on the pen turning into a pen
// adjustment that resizes the pen and hands it back at the release. The
// arithmetic of both gestures is tested on its own in tst_canvasgestures.
#include "TestSupport.h"

#include "PaperInputFixture.h"

#include "rendering/OffscreenRenderer.h"
#include "startup/Init.h"
#include "tools/DrawingTool.h"
#include "tools/ScrubbingTool.h"
#include "tools/ToolManager.h"

#include <QKeyEvent>
#include <QSignalSpy>
#include <QUndoStack>

using Model::Tool;
using Model::ToolManager;
using PaperFixture::Canvas;
using PaperFixture::Clock;
using PaperFixture::Pointer;

class TestScrubbingAndPenAdjustment : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void scrubbingCountsSixteenPixelsPerFrame_data();
    void scrubbingCountsSixteenPixelsPerFrame();
    void scrubbingGoesOnFromTheBoundedOffset();
    void altOnThePenAdjustsItsSize_data();
    void altOnThePenAdjustsItsSize();
    void releasingControlEndsPenAdjustment();
};

void TestScrubbingAndPenAdjustment::initTestCase()
{
    Model::init();
    QVERIFY(Model::OffscreenRenderer::instance()->initialize(QSize(400, 300)));
    QApplication::setStartDragDistance(10);
}

void TestScrubbingAndPenAdjustment::init()
{
    Tool::m_enabled = true;
    ToolManager::instance()->setCurrentTool(Tool::Draw, Tool::Usable);
}

void TestScrubbingAndPenAdjustment::scrubbingCountsSixteenPixelsPerFrame_data()
{
    QTest::addColumn<bool>("tablet");
    QTest::addColumn<QPointF>("travel");
    QTest::addColumn<int>("offset");

    for (bool const tablet : {true, false}) {
        char const* device = tablet ? "pen" : "mouse";
        QTest::addRow("%s: right and down add up", device) << tablet << QPointF(8, 8) << 1;
        QTest::addRow("%s: a pixel left is a frame back", device) << tablet << QPointF(-1, 0) << -1;
        QTest::addRow("%s: just short of a frame", device) << tablet << QPointF(15, 0) << 0;
    }
}

void TestScrubbingAndPenAdjustment::scrubbingCountsSixteenPixelsPerFrame()
{
    QFETCH(bool, tablet);
    QFETCH(QPointF, travel);
    QFETCH(int, offset);

    auto* tool = qobject_cast<Model::ScrubbingTool*>(ToolManager::instance()->tool(Tool::Scrubbing));
    QVERIFY(tool);
    tool->setStarted(false);
    QSignalSpy started(tool, &Model::ScrubbingTool::scrubbingStarted);
    ToolManager::instance()->setCurrentTool(Tool::Scrubbing, Tool::Usable);
    Canvas canvas;
    Clock clock;
    Pointer pointer{&canvas.paper, clock};
    QSignalSpy offsets(&canvas.paper, &UI::Paper::scrubOffsetChanged);
    QPointF const at(300, 200);

    if (tablet) {
        QVERIFY(pointer.press(at));
        QVERIFY(pointer.move(at + travel));
        QVERIFY(pointer.release(at + travel));
    } else {
        pointer.mouseDrag({at, at + travel});
    }
    QCOMPARE(started.count(), 1);
    QCOMPARE(offsets.count(), 1);
    QCOMPARE(offsets.at(0).at(0).toInt(), offset);
    QCOMPARE(canvas.scene()->undoStack()->count(), 0);
}

void TestScrubbingAndPenAdjustment::scrubbingGoesOnFromTheBoundedOffset()
{
    ToolManager* tools = ToolManager::instance();
    tools->setCurrentTool(Tool::Scrubbing, Tool::Usable);
    Canvas canvas;
    Clock clock;
    Pointer pen{&canvas.paper, clock};
    QSignalSpy offsets(&canvas.paper, &UI::Paper::scrubOffsetChanged);
    canvas.paper.setMinMaxScrubOffset(-3, 5);
    QPointF const at(200, 200);

    // Nine frames on while dragging, five kept at the release.
    pen.drag({at, at + QPointF(144, 0)});
    QCOMPARE(offsets.last().at(0).toInt(), 9);
    // The next drag starts from five, wherever it starts.
    pen.drag({at + QPointF(0, 100), at + QPointF(-16, 100)});
    QCOMPARE(offsets.last().at(0).toInt(), 4);

    // Taking the tool up again starts from the active frame.
    tools->setCurrentTool(Tool::Draw, Tool::Usable);
    tools->setCurrentTool(Tool::Scrubbing, Tool::Usable);
    pen.drag({at, at + QPointF(16, 0)});
    QCOMPARE(offsets.last().at(0).toInt(), 1);
}

void TestScrubbingAndPenAdjustment::altOnThePenAdjustsItsSize_data()
{
    QTest::addColumn<bool>("tablet");
    QTest::newRow("pen") << true;
    QTest::newRow("mouse") << false;
}

void TestScrubbingAndPenAdjustment::altOnThePenAdjustsItsSize()
{
    QFETCH(bool, tablet);
    ToolManager* tools = ToolManager::instance();
    auto* pen = qobject_cast<Model::DrawingTool*>(tools->tool(Tool::Draw));
    pen->setSizeRangePercent(10.0, 40.0);
    Canvas canvas;
    Clock clock;
    Pointer pointer{&canvas.paper, clock};
    QPointF const at(300, 200);
    QPointF const to = at + QPointF(20, 0);

    if (tablet) {
        QVERIFY(pointer.press(at, 0.6, Qt::AltModifier));
    } else {
        pointer.mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton, 50,
                      Qt::AltModifier);
    }
    // The press started an adjustment, not a stroke.
    QCOMPARE(tools->currentToolType(), Tool::PenAdjustment);
    QVERIFY(!canvas.scene()->hasActiveStroke());
    if (tablet)
        QVERIFY(pointer.move(to));
    else
        pointer.mouse(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton, 5, Qt::AltModifier);
    // 20 px right: the size range times 1.25 squared.
    QVERIFY(qFuzzyCompare(pen->incDecSizeMinPercent(), 14.0 * 1.5625 - 4.0));
    QVERIFY(qFuzzyCompare(pen->incDecSizeMaxPercent(), 44.0 * 1.5625 - 4.0));
    if (tablet)
        QVERIFY(pointer.release(to));
    else
        pointer.mouse(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton, 5,
                      Qt::AltModifier);

    QCOMPARE(tools->currentToolType(), Tool::Draw);
    QVERIFY(!canvas.paper.isDevicePressed());
    QCOMPARE(canvas.scene()->undoStack()->count(), 0);
    // The pen draws again with its new size.
    QVERIFY(qFuzzyCompare(pen->incDecSizeMaxPercent(), 44.0 * 1.5625 - 4.0));
    pointer.drag({at, at + QPointF(30, 10), at + QPointF(60, 0)});
    QCOMPARE(canvas.scene()->undoStack()->count(), 1);
}

void TestScrubbingAndPenAdjustment::releasingControlEndsPenAdjustment()
{
    ToolManager* tools = ToolManager::instance();
    tools->setCurrentTool(Tool::Erase, Tool::Usable);
    Canvas canvas;
    Clock clock;
    Pointer pen{&canvas.paper, clock};
    QVERIFY(pen.press(QPointF(300, 200), 0.6, Qt::AltModifier));
    QCOMPARE(tools->currentToolType(), Tool::PenAdjustment);

    // The window system reports the modifiers held before the release,
    // Control among them; Qt takes the released key's own modifier out.
    // Control let go while Alt is still held changes nothing.
    QKeyEvent withAlt(QEvent::KeyRelease, Qt::Key_Control, Qt::AltModifier | Qt::ControlModifier);
    QApplication::sendEvent(&canvas.paper, &withAlt);
    QCOMPARE(tools->currentToolType(), Tool::PenAdjustment);
    QKeyEvent alone(QEvent::KeyRelease, Qt::Key_Control, Qt::ControlModifier);
    QApplication::sendEvent(&canvas.paper, &alone);
    QCOMPARE(tools->currentToolType(), Tool::Erase);
    pen.release(QPointF(300, 200));
    QCOMPARE(tools->currentToolType(), Tool::Erase);
}

QUILLMERE_TEST_MAIN(TestScrubbingAndPenAdjustment)
#include "tst_scrubbingandpenadjustment.moc"
