// Moving the view by hand: the hand, zoom and rotate drags, the combined
// tool's zones, the wheel, the trackpad's pinch and native gestures, and the
// resets of a double tap.
#include "TestSupport.h"

#include "PaperInputFixture.h"

#include "startup/Init.h"
#include "tools/ToolManager.h"

#include <QNativeGestureEvent>
#include <QSignalSpy>
#include <QWheelEvent>

using PaperFixture::Canvas;
using PaperFixture::Clock;
using PaperFixture::Pointer;

namespace {

bool samePoint(const QPointF& a, const QPointF& b, double tolerance = 1e-6)
{
    return std::abs(a.x() - b.x()) <= tolerance && std::abs(a.y() - b.y()) <= tolerance;
}

void useTool(Model::Tool::Type type)
{
    Model::ToolManager::instance()->setCurrentTool(type, Model::Tool::Usable);
}

void wheel(QWidget* widget, const QPointF& at, QPoint pixelDelta, QPoint angleDelta,
           Qt::KeyboardModifiers modifiers)
{
    QWheelEvent event(at, widget->mapToGlobal(at), pixelDelta, angleDelta, Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(widget, &event);
}

void native(QWidget* widget, Qt::NativeGestureType type, const QPointF& at, double value)
{
    QNativeGestureEvent event(type, QPointingDevice::primaryPointingDevice(), 0, at,
                              at, widget->mapToGlobal(at), value, QPointF());
    QApplication::sendEvent(widget, &event);
}

} // namespace

class TestViewGestures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void wheel_data();
    void wheel();
    void handDragMovesThePaperWithThePointer();
    void rotateDragTurnsTheView_data();
    void rotateDragTurnsTheView();
    void zoomDragStaysWithinTheLimits();
    void combinedToolLocksTheZoneOfItsFirstPress();
    void doubleTapResetsTheToolsAspect();
    void pinchZoomsAboutItsCentre();
    void pinchWaitsForThePenToLift();
    void nativeGestures();
};

void TestViewGestures::initTestCase()
{
    Model::init();
}

void TestViewGestures::init()
{
    Model::Tool::m_enabled = true;
    useTool(Model::Tool::Draw);
}

void TestViewGestures::wheel_data()
{
    QTest::addColumn<QPoint>("pixelDelta");
    QTest::addColumn<QPoint>("angleDelta");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QPointF>("contentMove");
    QTest::addColumn<double>("zoomFactor");
    QTest::newRow("mouse wheel notch") << QPoint() << QPoint(0, 120) << int(Qt::NoModifier)
                                       << QPointF(0, 15) << 1.0;
    QTest::newRow("trackpad scroll") << QPoint(3, -4) << QPoint(0, 120) << int(Qt::NoModifier)
                                     << QPointF(3, -4) << 1.0;
    QTest::newRow("sideways notch") << QPoint() << QPoint(-60, 0) << int(Qt::NoModifier)
                                    << QPointF(-8, 0) << 1.0;
    QTest::newRow("control zooms in") << QPoint() << QPoint(0, 120) << int(Qt::ControlModifier)
                                      << QPointF() << 1.0 / 0.9375;
    QTest::newRow("control zooms out") << QPoint() << QPoint(0, -120)
                                       << int(Qt::ControlModifier) << QPointF() << 1.0 / 1.0625;
    QTest::newRow("control stops at 16") << QPoint() << QPoint(0, 2880)
                                         << int(Qt::ControlModifier) << QPointF() << 16.0;
    QTest::newRow("shift does nothing") << QPoint() << QPoint(0, 120) << int(Qt::ShiftModifier)
                                        << QPointF() << 1.0;
}

void TestViewGestures::wheel()
{
    QFETCH(QPoint, pixelDelta);
    QFETCH(QPoint, angleDelta);
    QFETCH(int, modifiers);
    QFETCH(QPointF, contentMove);
    QFETCH(double, zoomFactor);
    Canvas canvas;
    UI::Paper& paper = canvas.paper;
    const QPointF at(200, 150);
    const QPointF paperPoint = paper.viewTransform().map(at);
    ::wheel(&paper, at, pixelDelta, angleDelta, Qt::KeyboardModifiers(modifiers));
    QVERIFY(std::abs(paper.zoomLevel() - zoomFactor) < 1e-6);
    // The paper point moved by the content's move on the widget; a zoom
    // keeps the point under the pointer.
    QVERIFY(samePoint(canvas.onWidget(paperPoint), at + contentMove, 1e-6));
}

void TestViewGestures::handDragMovesThePaperWithThePointer()
{
    useTool(Model::Tool::Hand);
    Canvas canvas;
    Clock clock;
    Pointer pen{&canvas.paper, clock};
    const QPointF grabbed = canvas.paper.viewTransform().map(QPointF(100, 100));
    pen.press(QPointF(100, 100));
    pen.move(QPointF(150, 130));
    // Live while dragging, committed at the release.
    QVERIFY(samePoint(canvas.onWidget(grabbed), QPointF(150, 130)));
    pen.move(QPointF(170, 90));
    pen.release(QPointF(170, 90));
    QVERIFY(samePoint(canvas.onWidget(grabbed), QPointF(170, 90)));
    QVERIFY(samePoint(canvas.paper.viewPan(), canvas.paper.viewTransform().map(QPointF(0, 0))));
}

void TestViewGestures::rotateDragTurnsTheView_data()
{
    QTest::addColumn<bool>("mirrored");
    QTest::newRow("plain") << false;
    QTest::newRow("mirrored") << true;
}

void TestViewGestures::rotateDragTurnsTheView()
{
    QFETCH(bool, mirrored);
    useTool(Model::Tool::Rotate);
    Canvas canvas;
    canvas.paper.setMirrorView(mirrored);
    Clock clock;
    Pointer pen{&canvas.paper, clock};
    const QPointF c(399, 299);
    const QPointF centre = canvas.underCenter();
    // A quarter turn counter-clockwise on the screen, then another.
    pen.press(c + QPointF(100, 0));
    pen.move(c + QPointF(0, -100));
    pen.move(c + QPointF(-100, 0));
    pen.release(c + QPointF(-100, 0));
    QVERIFY(std::abs(std::abs(canvas.paper.viewAngle()) - 180.0) < 1e-6);
    QVERIFY(samePoint(canvas.underCenter(), centre, 1e-6));
    // Another quarter, long enough after the last tap not to be a double tap.
    clock.advance(5000);
    pen.press(c + QPointF(100, 0));
    pen.move(c + QPointF(0, -100));
    pen.release(c + QPointF(0, -100));
    const double quarter = canvas.paper.viewAngle();
    QVERIFY(std::abs(std::remainder(quarter - (mirrored ? 90.0 : -90.0), 360.0)) < 1e-6);
}

void TestViewGestures::zoomDragStaysWithinTheLimits()
{
    useTool(Model::Tool::Zoom);
    Canvas canvas;
    Clock clock;
    Pointer pen{&canvas.paper, clock};
    QSignalSpy zoom(&canvas.paper, &UI::Paper::zoomLevelChanged);
    // Down-right zooms in.
    pen.press(QPointF(100, 100));
    pen.move(QPointF(180, 160));
    QCOMPARE(zoom.count(), 1);
    const double live = zoom.last().at(0).toDouble();
    QVERIFY(live > 1.0);
    QCOMPARE(canvas.paper.zoomLevel(), 1.0); // committed at the release
    // Up-right is across the diagonal: no zoom.
    pen.move(QPointF(150, 50));
    QVERIFY(std::abs(zoom.last().at(0).toDouble() - 1.0) < 1e-9);
    pen.move(QPointF(3000, 3000));
    pen.release(QPointF(3000, 3000));
    QVERIFY(std::abs(canvas.paper.zoomLevel() - 16.0) < 1e-9);
    const int emitted = zoom.count();
    // Up-left zooms out, never past 1/16.
    pen.press(QPointF(500, 500));
    pen.move(QPointF(-900000, -900000));
    pen.release(QPointF(-900000, -900000));
    QVERIFY(std::abs(canvas.paper.zoomLevel() - 1.0 / 16) < 1e-9);
    // The release told nothing new: the live level was already reported.
    QCOMPARE(zoom.count(), emitted + 1);
}

void TestViewGestures::combinedToolLocksTheZoneOfItsFirstPress()
{
    Canvas canvas;
    useTool(Model::Tool::ZPR);
    Clock clock;
    Pointer pen{&canvas.paper, clock};
    const QPointF c(399, 299);
    const QPointF centre = canvas.underCenter();
    // u = 600 / 12 = 50: the pan circle has radius 50 about the centre.
    pen.press(c + QPointF(10, 10));
    pen.move(c + QPointF(10, -60)); // into the rotate ellipse: still panning
    pen.release(c + QPointF(10, -60));
    QVERIFY(samePoint(canvas.underCenter(), centre + QPointF(0, 70)));
    QCOMPARE(canvas.paper.viewAngle(), 0.0);
    // A second drag during the same hold pans again, wherever it starts.
    pen.press(c + QPointF(200, 200));
    pen.move(c + QPointF(180, 200));
    pen.release(c + QPointF(180, 200));
    QVERIFY(samePoint(canvas.underCenter(), centre + QPointF(20, 70)));
    QCOMPARE(canvas.paper.zoomLevel(), 1.0);
}

void TestViewGestures::doubleTapResetsTheToolsAspect()
{
    Canvas canvas;
    canvas.paper.rotatePaperTo(50.0);
    useTool(Model::Tool::Rotate);
    Clock clock;
    Pointer pen{&canvas.paper, clock};
    pen.press(QPointF(100, 100));
    pen.release(QPointF(100, 100));
    QCOMPARE(canvas.paper.viewAngle(), 50.0);
    pen.press(QPointF(101, 100));
    QCOMPARE(canvas.paper.viewAngle(), 0.0);
    QVERIFY(!canvas.paper.isDevicePressed());
}

void TestViewGestures::pinchZoomsAboutItsCentre()
{
    Canvas canvas;
    UI::Paper& paper = canvas.paper;
    const QPointF centre(250, 200);
    const QPointF under = paper.viewTransform().map(centre);
    UI::Paper::TrackpadGesture pinch;
    pinch.pinch = true;
    pinch.pinchState = Qt::GestureStarted;
    pinch.pinchChanges = QPinchGesture::ScaleFactorChanged | QPinchGesture::CenterPointChanged;
    pinch.centerPoint = centre;
    pinch.totalScaleFactor = 1.5;
    QVERIFY(paper.handleTrackpadGesture(pinch));
    QVERIFY(paper.isDevicePressed());
    pinch.pinchState = Qt::GestureUpdated;
    pinch.totalScaleFactor = 2.0;
    QVERIFY(paper.handleTrackpadGesture(pinch));
    QCOMPARE(paper.zoomLevel(), 1.0); // the view itself changes at the end
    QVERIFY(samePoint(paper.viewTransform().map(centre), under, 1e-6));
    pinch.pinchState = Qt::GestureFinished;
    QVERIFY(paper.handleTrackpadGesture(pinch));
    QVERIFY(!paper.isDevicePressed());
    QVERIFY(std::abs(paper.zoomLevel() - 2.0) < 1e-9);
    QVERIFY(samePoint(paper.viewTransform().map(centre), under, 1e-6));
}

void TestViewGestures::pinchWaitsForThePenToLift()
{
    Canvas canvas;
    useTool(Model::Tool::Hand);
    Clock clock;
    Pointer pen{&canvas.paper, clock};
    UI::Paper::TrackpadGesture pinch;
    pinch.pinch = true;
    pinch.pinchState = Qt::GestureStarted;
    pinch.totalScaleFactor = 2.0;
    pinch.centerPoint = QPointF(100, 100);
    pen.press(QPointF(300, 300));
    QVERIFY(!canvas.paper.handleTrackpadGesture(pinch));
    pen.release(QPointF(300, 300));
    QVERIFY(canvas.paper.handleTrackpadGesture(pinch));
    pinch.pinchState = Qt::GestureFinished;
    canvas.paper.handleTrackpadGesture(pinch);
    QVERIFY(std::abs(canvas.paper.zoomLevel() - 2.0) < 1e-9);
}

void TestViewGestures::nativeGestures()
{
    Canvas canvas;
    UI::Paper& paper = canvas.paper;
    const QPointF at(300, 250);
    const QPointF under = paper.viewTransform().map(at);
    native(&paper, Qt::BeginNativeGesture, at, 0);
    native(&paper, Qt::SmartZoomNativeGesture, at, 1.0);
    QVERIFY(std::abs(paper.zoomLevel() - 3.0) < 1e-6);
    QVERIFY(samePoint(paper.viewTransform().map(at), under, 1e-4));
    native(&paper, Qt::SmartZoomNativeGesture, at, 0.0);
    QVERIFY(std::abs(paper.zoomLevel() - 1.0) < 1e-6);
    native(&paper, Qt::RotateNativeGesture, at, 30.0);
    QVERIFY(std::abs(paper.viewAngle() + 30.0) < 1e-9);
    native(&paper, Qt::EndNativeGesture, at, 0);
    // Mirrored, the same rotation turns the other way on the screen.
    paper.rotatePaperTo(0.0);
    paper.setMirrorView(true);
    native(&paper, Qt::BeginNativeGesture, at, 0);
    native(&paper, Qt::RotateNativeGesture, at, 30.0);
    native(&paper, Qt::EndNativeGesture, at, 0);
    QVERIFY(std::abs(paper.viewAngle() - 30.0) < 1e-9);
}

QUILLMERE_TEST_MAIN(TestViewGestures)
#include "tst_viewgestures.moc"
