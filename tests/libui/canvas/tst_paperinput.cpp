// Input routing on the canvas: strokes drawn with a synthesised pen and
// eraser becoming undo entries, a blank drawing made first on the virtual
// last frame, the press that belongs to one device, and the mouse copy of a
// tablet tap that is dropped.
#include "TestSupport.h"

#include "PaperInputFixture.h"

#include "rendering/OffscreenRenderer.h"
#include "startup/Init.h"
#include "strokes/SingleStroke.h"
#include "tools/ToolManager.h"

#include <QSignalSpy>
#include <QUndoStack>

using PaperFixture::Canvas;
using PaperFixture::Clock;
using PaperFixture::Pointer;

namespace {

QList<QPointF> wave(const QPointF& from, int count = 25)
{
    QList<QPointF> points;
    for (int i = 0; i < count; ++i)
        points << from + QPointF(6.0 * i, 20.0 * std::sin(i / 3.0));
    return points;
}

int strokeCount(Model::StrokeLayer& layer, int frame)
{
    return layer.strokeDrawing(frame - 1)->numTotalStrokes();
}

} // namespace

class TestPaperInput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void penAndEraserStrokesBecomeUndoEntries();
    void strokeOnTheVirtualLastFrameAddsABlankDrawingFirst();
    void hoverGivesTheStrokeItsStartDirection();
    void mouseCopyOfATabletTap_data();
    void mouseCopyOfATabletTap();
    void aPressBelongsToOneDevice();
    void rightButtonAsksForTheSpeedDial();
    void nothingIsDrawnWhileToolsAreHeldBack();
};

void TestPaperInput::initTestCase()
{
    Model::init();
    QVERIFY(Model::OffscreenRenderer::instance()->initialize(QSize(400, 300)));
}

void TestPaperInput::init()
{
    Model::Tool::m_enabled = true;
    Model::ToolManager::instance()->setCurrentTool(Model::Tool::Draw, Model::Tool::Usable);
}

void TestPaperInput::penAndEraserStrokesBecomeUndoEntries()
{
    Canvas canvas;
    Clock clock;
    Pointer pen{&canvas.paper, clock};
    QUndoStack* undo = canvas.scene()->undoStack();
    const QPointF origin = canvas.onWidget(QPointF(40, 100));

    pen.drag(wave(origin), 10);
    QTRY_COMPARE(undo->count(), 1);
    QCOMPARE(undo->text(0), QStringLiteral("Draw"));
    QCOMPARE(strokeCount(*canvas.layer, 1), 1);
    QVERIFY(!canvas.paper.isDevicePressed());
    // The stroke is on the paper where the pen went.
    const QImage drawn = canvas.paper.grab().toImage();
    int darkest = 255;
    const QPoint along = wave(origin).at(12).toPoint();
    for (int dy = -3; dy <= 3; ++dy)
        for (int dx = -3; dx <= 3; ++dx)
            darkest = std::min(darkest, qGray(drawn.pixel(along + QPoint(dx, dy))));
    QVERIFY2(darkest < 220, qPrintable(QString::number(darkest)));

    Model::ToolManager::instance()->setCurrentTool(Model::Tool::Erase, Model::Tool::Usable);
    Pointer eraser{&canvas.paper, clock,
                   PaperFixture::tabletDevice(QPointingDevice::PointerType::Eraser)};
    eraser.drag(wave(origin), 10);
    QCOMPARE(undo->count(), 2);
    QCOMPARE(undo->text(1), QStringLiteral("Erase"));
    undo->undo();
    undo->undo();
    QCOMPARE(strokeCount(*canvas.layer, 1), 0);
}

void TestPaperInput::strokeOnTheVirtualLastFrameAddsABlankDrawingFirst()
{
    Canvas canvas(QSize(400, 300), {QRect(10, 10, 20, 20)});
    canvas.scene()->setActiveFrameAndLayer(2, 0, Model::Scene::AcceptVirtualLastFrame);
    QVERIFY(canvas.scene()->isVirtualLastFrame());
    Clock clock;
    Pointer pen{&canvas.paper, clock};
    pen.drag(wave(canvas.onWidget(QPointF(100, 150))), 10);

    QUndoStack* undo = canvas.scene()->undoStack();
    QCOMPARE(undo->count(), 2);
    QCOMPARE(canvas.layer->length(), 2);
    QCOMPARE(strokeCount(*canvas.layer, 1), 1);
    QCOMPARE(strokeCount(*canvas.layer, 2), 1);
    undo->undo();
    QCOMPARE(strokeCount(*canvas.layer, 2), 0);
    undo->undo();
    QCOMPARE(canvas.layer->length(), 1);
    QCOMPARE(strokeCount(*canvas.layer, 1), 1);
}

void TestPaperInput::hoverGivesTheStrokeItsStartDirection()
{
    Canvas canvas;
    Clock clock;
    Pointer pen{&canvas.paper, clock};
    const QPointF start = canvas.onWidget(QPointF(100, 100));
    // Two hover samples: the one before the last gives the direction, so
    // the first result point already has a tangent.
    QVERIFY(!pen.hover(start - QPointF(20, 0)));
    QVERIFY(!pen.hover(start - QPointF(10, 0)));
    pen.press(start);
    const Model::SingleStroke* live = canvas.scene()->activeStroke();
    QVERIFY(live);
    QVERIFY(!live->resultPoints().first().tangent.isNull());
    pen.release(start);

    // Without hover there is no direction.
    pen.press(start + QPointF(0, 60));
    live = canvas.scene()->activeStroke();
    QVERIFY(live);
    QVERIFY(live->resultPoints().first().tangent.isNull());
    pen.release(start + QPointF(0, 60));
}

void TestPaperInput::mouseCopyOfATabletTap_data()
{
    QTest::addColumn<int>("gap");
    QTest::addColumn<double>("distance");
    QTest::addColumn<bool>("swallowed");
    QTest::newRow("at once, same place") << 0 << 0.0 << true;
    QTest::newRow("9 ms, 1.9 px") << 9 << 1.9 << true;
    QTest::newRow("10 ms later") << 10 << 0.0 << false;
    QTest::newRow("2 px away") << 3 << 2.0 << false;
    QTest::newRow("1 px each way") << 3 << 1.0 << true;
}

void TestPaperInput::mouseCopyOfATabletTap()
{
    QFETCH(int, gap);
    QFETCH(double, distance);
    QFETCH(bool, swallowed);
    Model::ToolManager::instance()->setCurrentTool(Model::Tool::Hand, Model::Tool::Usable);
    Canvas canvas;
    Clock clock;
    Pointer pen{&canvas.paper, clock};
    const QPointF at(300, 200);
    pen.press(at);
    pen.release(at);
    QVERIFY(!canvas.paper.isDevicePressed());
    // "1 px each way" spreads the distance over both axes.
    const QPointF offset = distance == 1.0 && gap == 3 ? QPointF(0.5, 0.5) : QPointF(distance, 0);
    pen.mouse(QEvent::MouseButtonPress, at + offset, Qt::LeftButton, Qt::LeftButton, gap);
    QCOMPARE(canvas.paper.isDevicePressed(), !swallowed);
    pen.mouse(QEvent::MouseButtonRelease, at + offset, Qt::LeftButton, Qt::NoButton, 1);
}

void TestPaperInput::aPressBelongsToOneDevice()
{
    Model::ToolManager::instance()->setCurrentTool(Model::Tool::Hand, Model::Tool::Usable);
    Canvas canvas;
    Clock clock;
    Pointer pen{&canvas.paper, clock};
    QSignalSpy pressed(&canvas.paper, &UI::Paper::devicePressedChanged);
    const QPointF centre = canvas.underCenter();
    pen.mouse(QEvent::MouseButtonPress, QPointF(300, 300), Qt::LeftButton, Qt::LeftButton, 50);
    // The pen is refused while the mouse holds the press.
    QVERIFY(!pen.press(QPointF(100, 100)));
    pen.mouse(QEvent::MouseMove, QPointF(340, 300), Qt::NoButton, Qt::LeftButton);
    pen.mouse(QEvent::MouseButtonRelease, QPointF(340, 300), Qt::LeftButton, Qt::NoButton);
    QCOMPARE(pressed.count(), 2);
    QCOMPARE(pressed.at(0).at(0).toBool(), true);
    QCOMPARE(pressed.at(1).at(0).toBool(), false);
    // The hand moved the paper by the mouse's 40 px.
    QVERIFY(std::abs(canvas.underCenter().x() - (centre.x() - 40)) < 1e-6);
}

void TestPaperInput::rightButtonAsksForTheSpeedDial()
{
    Canvas canvas;
    Clock clock;
    Pointer pen{&canvas.paper, clock};
    QSignalSpy right(&canvas.paper, &UI::Paper::rightButtonPressed);
    QVERIFY(pen.tablet(QEvent::TabletPress, QPointF(50, 50), 0.5, Qt::RightButton,
                       Qt::RightButton, Qt::ShiftModifier));
    QCOMPARE(right.count(), 1);
    QCOMPARE(right.at(0).at(0).value<Qt::KeyboardModifiers>(), Qt::ShiftModifier);
    pen.mouse(QEvent::MouseButtonPress, QPointF(80, 80), Qt::RightButton, Qt::RightButton, 50);
    QCOMPARE(right.count(), 2);
    QVERIFY(!canvas.paper.isDevicePressed());
    QCOMPARE(canvas.scene()->undoStack()->count(), 0);
}

void TestPaperInput::nothingIsDrawnWhileToolsAreHeldBack()
{
    Canvas canvas;
    Clock clock;
    Pointer pen{&canvas.paper, clock};
    Model::Tool::m_enabled = false;
    pen.drag(wave(canvas.onWidget(QPointF(50, 50))));
    Model::Tool::m_enabled = true;
    QVERIFY(!canvas.scene()->hasActiveStroke());
    QCOMPARE(canvas.scene()->undoStack()->count(), 0);
}

QUILLMERE_TEST_MAIN(TestPaperInput)
#include "tst_paperinput.moc"
