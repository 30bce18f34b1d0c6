// Stroke input: a stroke fed point by point through the event loop with the
// scene's extra-point and end-point timers, the changed area announced as it
// grows, the live picture while drawing, and the finished stroke put into
// and taken out of drawings as undo and redo do, holds and distant clones
// included. Strokes are rasterised by the off-screen renderer (software
// OpenGL under X).
#include "TestSupport.h"

#include "SceneFixture.h"

#include "drawings/StrokeDrawing.h"
#include "rendering/OffscreenRenderer.h"
#include "scene/LayerItem.h"
#include "scene/ReferenceLayer.h"
#include "scene/Scene.h"
#include "scene/StrokeLayer.h"
#include "startup/Init.h"
#include "strokes/BitmapStroke.h"
#include "strokes/CompoundStroke.h"
#include "strokes/FloatingSelection.h"
#include "strokes/SingleStroke.h"
#include "tools/ToolManager.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QPainterPath>
#include <QSignalSpy>

#include <cmath>

namespace {

const QSize FrameSize(200, 120);
const QRect FrameRect(QPoint(0, 0), FrameSize);
using Cells = QList<std::pair<int, int>>;

Model::Stroke::GuidePoint guide(QPointF const& position, double pressure = 0.7)
{
    Model::Stroke::GuidePoint point;
    point.position = position;
    point.pressure = pressure;
    return point;
}

// A wavy line across the frame.
QList<QPointF> wave(int count = 30)
{
    QList<QPointF> points;
    for (int i = 0; i < count; ++i) {
        double const t = double(i) / (count - 1);
        points << QPointF(20.0 + 160.0 * t, 60.0 + 30.0 * std::sin(t * 6.0));
    }
    return points;
}

std::unique_ptr<Model::BitmapStroke> block(QRect const& rect)
{
    QImage coverage(rect.size(), QImage::Format_Alpha8);
    coverage.fill(QColor(0, 0, 0, 255));
    return std::make_unique<Model::BitmapStroke>(coverage, rect);
}

std::shared_ptr<Model::StrokeLayer> strokeLayer(QColor const& color, int length)
{
    auto layer = std::make_shared<Model::StrokeLayer>(color, FrameSize, nullptr);
    for (int frame = 2; frame <= length; ++frame)
        layer->insertBlankFrameAfter(frame - 1);
    return layer;
}

QImage transparentImage()
{
    QImage image(FrameSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

int inkedPixels(QImage const& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += qAlpha(image.pixel(x, y)) != 0;
    return n;
}

// Largest difference of one channel between two pictures of the same size.
int largestDifference(QImage const& a, QImage const& b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            QRgb const p = a.pixel(x, y);
            QRgb const q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)),
                                std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q)),
                                std::abs(qAlpha(p) - qAlpha(q))});
        }
    }
    return largest;
}

QImage drawn(Model::Scene const& scene)
{
    QImage image = transparentImage();
    QPainter painter(&image);
    scene.draw(&painter, FrameRect);
    return image;
}

int strokeCount(Model::StrokeLayer const& layer, int frame)
{
    return layer.strokeDrawing(frame - 1)->numTotalStrokes();
}

// Repaints a canvas as a widget does: the rectangles the scene announces
// gather until the event loop runs, and then only they are painted, so that
// the canvas can be compared with a full repaint at the end. At each repaint
// it checks that each pixel of the active stroke's buffer that changed since
// the last check lies inside what was announced since.
class RepaintWatcher : public QObject
{
public:
    explicit RepaintWatcher(Model::Scene& scene)
        : m_scene(scene)
        , m_canvas(transparentImage())
    {
        QPainter painter(&m_canvas);
        scene.draw(&painter, FrameRect);
        connect(&scene, &Model::Scene::rectChanged, this, &RepaintWatcher::changed);
    }

    // Checks the buffer of a stroke that was handed over, with the last
    // piece rasterised at the end that no repaint has shown yet.
    void checkHandedOver(Model::SingleStroke const& stroke) { check(stroke); }

    QImage const& canvas() const { return m_canvas; }
    int announcements() const { return m_announcements; }
    int repaints() const { return m_repaints; }
    QStringList const& failures() const { return m_failures; }

private:
    void changed(QRect const& rect)
    {
        ++m_announcements;
        if (m_pending.isEmpty())
            QMetaObject::invokeMethod(this, &RepaintWatcher::repaint, Qt::QueuedConnection);
        m_pending += rect;
        m_checkPending += rect;
    }

    void repaint()
    {
        ++m_repaints;
        QPainter painter(&m_canvas);
        for (QRect const& rect : m_pending) {
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.fillRect(rect, Qt::transparent);
            painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
            m_scene.draw(&painter, rect);
        }
        m_pending = QRegion();
        if (Model::SingleStroke const* stroke = m_scene.activeStroke())
            check(*stroke);
    }

    void check(Model::SingleStroke const& stroke)
    {
        QImage const& now = stroke.buffer();
        if (m_stroke != &stroke) {
            // A new stroke starts from an empty buffer.
            m_last = QImage(now.size(), now.format());
            m_last.fill(0);
            m_stroke = &stroke;
        }
        for (int y = 0; y < now.height(); ++y) {
            for (int x = 0; x < now.width(); ++x) {
                if (now.constScanLine(y)[x] != m_last.constScanLine(y)[x]
                    && !m_checkPending.contains(QPoint(x, y)))
                    m_failures << QStringLiteral("(%1, %2) outside what was announced").arg(x).arg(y);
            }
        }
        m_last = now.copy();
        m_checkPending = QRegion();
    }

    Model::Scene& m_scene;
    QImage m_canvas;
    QRegion m_pending;
    QRegion m_checkPending;
    QImage m_last;
    Model::SingleStroke const* m_stroke = nullptr;
    int m_announcements = 0;
    int m_repaints = 0;
    QStringList m_failures;
};

} // namespace

class TestSceneStrokeInput : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void strokeThroughTheEventLoop();
    void penEventsWaitForTheRepaint();
    void pointsTooCloseDoNotKeepTheStrokeAlive();
    void beginningAgainDropsTheUnfinishedStroke();
    void endingAndAddingWithoutAStrokeDoNothing();
    void liveStrokeIsPaintedOnTopOfItsLayer();
    void dottedLineToTheCursor();
    void appendReportsEveryCellShowingTheDrawing_data();
    void appendReportsEveryCellShowingTheDrawing();
    void redoOnAHiddenLayerPutsTheStrokeBack();
    void refusedStrokesStayWithTheCaller();
    void floatingSelectionFromTheActiveLayer();

private:
    Model::ToolManager* m_tools = nullptr;
};

void TestSceneStrokeInput::initTestCase()
{
    Model::init();
    QVERIFY(Model::OffscreenRenderer::instance()->initialize(FrameSize));
    m_tools = Model::ToolManager::instance();
}

void TestSceneStrokeInput::init()
{
    m_tools->setCurrentTool(Model::Tool::Draw, Model::Tool::Usable);
}

void TestSceneStrokeInput::strokeThroughTheEventLoop()
{
    Model::Scene scene;
    scene.setFrameSize(FrameSize, KW::FitMode::FitModeKeepAspect, nullptr);
    auto const layer = strokeLayer(QColor(0, 90, 200), 2);
    scene.addLayer(layer, 0);
    scene.setFrameRange(1, 2, 2, 0);
    scene.updateCachedFramePixmap(true);

    RepaintWatcher watcher(scene);
    QSignalSpy active(&scene, &Model::Scene::hasActiveStrokeChanged);
    QList<QPointF> const points = wave();
    scene.beginStroke(guide(points.first()));
    QVERIFY(scene.hasActiveStroke());
    QCOMPARE(active.count(), 1);
    QCOMPARE(active.at(0).at(0).toBool(), true);
    // Three pen events between two runs of the event loop: one repaint
    // shows them all.
    for (qsizetype i = 1; i < points.size(); ++i) {
        scene.addStrokePoint(guide(points.at(i)));
        if (i % 3 == 0)
            QTest::qWait(10);
    }
    // While the pen rests the extra points pull the stroke on, and after
    // 500 ms the end point reaches the pen: the stroke is still in progress.
    QTest::qWait(800);
    QVERIFY(scene.hasActiveStroke());
    QCOMPARE(active.count(), 1);
    Model::SingleStroke const* live = scene.activeStroke();
    // Segments shorter than a pixel are not made.
    QVERIFY(QLineF(live->resultPoints().constLast().position, points.constLast()).length() < 1.0);
    int const announcedAtRest = watcher.announcements();
    QTest::qWait(150);
    QCOMPARE(watcher.announcements(), announcedAtRest);

    // Repainting only the announced rectangles gave the full live picture.
    QCOMPARE(largestDifference(watcher.canvas(), drawn(scene)), 0);

    std::unique_ptr<Model::SingleStroke> stroke = scene.endStroke();
    QVERIFY(stroke);
    QVERIFY(!scene.hasActiveStroke());
    QCOMPARE(active.count(), 2);
    QCOMPARE(active.at(1).at(0).toBool(), false);
    watcher.checkHandedOver(*stroke);
    QVERIFY2(watcher.failures().isEmpty(), qPrintable(watcher.failures().mid(0, 5).join("; ")));
    // Every accepted point was announced, and the extra points after it;
    // pen events between two repaints shared one.
    QVERIFY(watcher.announcements() > points.size());
    QVERIFY(watcher.repaints() < watcher.announcements());
    QImage const coverage = stroke->buffer().copy();
    QVERIFY(inkedPixels(coverage.convertToFormat(QImage::Format_ARGB32)) > 100);

    // As the undo command's redo does: the stroke goes into the drawing.
    QSignalSpy drawings(&scene, &Model::Scene::drawingsChanged);
    QSignalSpy rects(&scene, &Model::Scene::rectChanged);
    QRect const bounds = stroke->boundingRect();
    QVERIFY(scene.appendStroke(0, 2, std::move(stroke)));
    QVERIFY(!stroke);
    QCOMPARE(strokeCount(*layer, 2), 1);
    QCOMPARE(strokeCount(*layer, 1), 0);
    QCOMPARE(layer->strokeDrawing(1)->buffer(), coverage);
    QCOMPARE(drawings.count(), 1);
    QCOMPARE(drawings.at(0).at(0).value<Cells>(), (Cells{{2, 0}}));
    QCOMPARE(rects.count(), 1);
    QCOMPARE(rects.at(0).at(0).toRect(), bounds);
    // The cached picture shows it now, as the canvas did while drawing.
    QVERIFY(largestDifference(drawn(scene), watcher.canvas()) <= 1);
}

void TestSceneStrokeInput::penEventsWaitForTheRepaint()
{
    Model::Scene scene;
    scene.setFrameSize(FrameSize, KW::FitMode::FitModeKeepAspect, nullptr);
    scene.addLayer(strokeLayer(Qt::black, 1), 0);
    scene.updateCachedFramePixmap(true);
    QList<QPointF> const points = wave();
    qsizetype const half = points.size() / 2;
    // Every point the stroke has reached is inked in the buffer.
    auto const missingInk = [](Model::SingleStroke const& stroke) {
        QStringList missing;
        for (auto const& reached : stroke.resultPoints()) {
            QPoint const p = reached.position.toPoint();
            if (stroke.buffer().constScanLine(p.y())[p.x()] == 0)
                missing << QStringLiteral("(%1, %2)").arg(p.x()).arg(p.y());
        }
        return missing.join(QStringLiteral(", "));
    };

    scene.beginStroke(guide(points.first()));
    Model::SingleStroke const* live = scene.activeStroke();
    QImage const begun = live->buffer().copy();
    QSignalSpy rects(&scene, &Model::Scene::rectChanged);
    for (qsizetype i = 1; i < half; ++i)
        scene.addStrokePoint(guide(points.at(i)));
    // Each pen event announced its area but rasterised nothing.
    QCOMPARE(rects.count(), half - 1);
    QCOMPARE(live->buffer(), begun);

    // One repaint puts every piece since into the buffer, and shows it.
    QImage const painted = drawn(scene);
    QCOMPARE(missingInk(*live), QString());
    QVERIFY(inkedPixels(painted) > 100);
    QImage const repainted = live->buffer().copy();
    QCOMPARE(drawn(scene), painted);
    QCOMPARE(live->buffer(), repainted);

    // The pieces no repaint has shown go into the buffer at the end.
    for (qsizetype i = half; i < points.size(); ++i)
        scene.addStrokePoint(guide(points.at(i)));
    QCOMPARE(live->buffer(), repainted);
    std::unique_ptr<Model::SingleStroke> stroke = scene.endStroke();
    QVERIFY(stroke);
    QVERIFY(QLineF(stroke->resultPoints().constLast().position, points.constLast()).length() < 1.0);
    QCOMPARE(missingInk(*stroke), QString());
}

void TestSceneStrokeInput::pointsTooCloseDoNotKeepTheStrokeAlive()
{
    Model::Scene scene;
    scene.setFrameSize(FrameSize, KW::FitMode::FitModeKeepAspect, nullptr);
    scene.addLayer(strokeLayer(Qt::black, 1), 0);
    int lastAnnouncement = -1;
    QElapsedTimer clock;
    connect(&scene, &Model::Scene::rectChanged, this,
            [&]() { lastAnnouncement = int(clock.elapsed()); });

    clock.start();
    scene.beginStroke(guide(QPointF(50, 50)));
    scene.addStrokePoint(guide(QPointF(80, 50)));
    // Jitter within a pixel of the last point for two seconds: dropped, so
    // the end point follows 500 ms after the last accepted point and the
    // extra points stop with it.
    while (clock.elapsed() < 2000) {
        scene.addStrokePoint(guide(QPointF(80.4, 50.3)));
        QTest::qWait(25);
    }
    QVERIFY2(lastAnnouncement > 0 && lastAnnouncement < 1500,
             qPrintable(QString::number(lastAnnouncement)));
    QCOMPARE(scene.activeStroke()->guidePoints().size(), 2);
    QVERIFY(scene.hasActiveStroke());

    // A point after the rest goes on with the same stroke and wakes the
    // timers: extra points follow.
    QSignalSpy rects(&scene, &Model::Scene::rectChanged);
    scene.addStrokePoint(guide(QPointF(120, 60)));
    QCOMPARE(rects.count(), 1);
    QTRY_VERIFY(rects.count() >= 3);
    QCOMPARE(scene.activeStroke()->guidePoints().size(), 3);

    // After the end point, ending adds it once more and hands the stroke over.
    QTest::qWait(700);
    QVERIFY(QLineF(scene.activeStroke()->resultPoints().constLast().position, QPointF(120, 60))
                .length()
            < 1.0);
    std::unique_ptr<Model::SingleStroke> stroke = scene.endStroke();
    QVERIFY(stroke);
    QCOMPARE(stroke->guidePoints().size(), 3);
}

void TestSceneStrokeInput::beginningAgainDropsTheUnfinishedStroke()
{
    Model::Scene scene;
    scene.setFrameSize(FrameSize, KW::FitMode::FitModeKeepAspect, nullptr);
    scene.addLayer(strokeLayer(Qt::black, 1), 0);
    scene.beginStroke(guide(QPointF(10, 10)));
    scene.addStrokePoint(guide(QPointF(60, 40)));

    QSignalSpy active(&scene, &Model::Scene::hasActiveStrokeChanged);
    QSignalSpy rects(&scene, &Model::Scene::rectChanged);
    // A start tangent from a point behind the first one.
    scene.beginStroke(guide(QPointF(100, 100)), QPointF(90, 100));
    QCOMPARE(active.count(), 2);
    QCOMPARE(active.at(0).at(0).toBool(), false);
    QCOMPARE(active.at(1).at(0).toBool(), true);
    // The old stroke's last piece, then the new stroke's first.
    QCOMPARE(rects.count(), 2);
    QVERIFY(rects.at(0).at(0).toRect().contains(QPoint(60, 40)));
    QVERIFY(rects.at(1).at(0).toRect().contains(QPoint(100, 100)));
    QCOMPARE(scene.activeStroke()->guidePoints().size(), 1);
    QCOMPARE(scene.activeStroke()->guidePoints().first().position, QPointF(100, 100));
    QVERIFY(scene.endStroke());
}

void TestSceneStrokeInput::endingAndAddingWithoutAStrokeDoNothing()
{
    Model::Scene scene;
    scene.setFrameSize(FrameSize, KW::FitMode::FitModeKeepAspect, nullptr);
    scene.addLayer(strokeLayer(Qt::black, 1), 0);
    auto const spies = Fixture::spyOnAllSignals(&scene);
    scene.addStrokePoint(guide(QPointF(10, 10)));
    QVERIFY(!scene.endStroke());
    QVERIFY(!scene.removeLastStroke(0, 1));
    QTest::qWait(50);
    for (auto const& spy : spies)
        QCOMPARE(spy->count(), 0);

    scene.beginStroke(guide(QPointF(10, 10)));
    QVERIFY(scene.endStroke());
    QSignalSpy active(&scene, &Model::Scene::hasActiveStrokeChanged);
    QVERIFY(!scene.endStroke());
    QCOMPARE(active.count(), 0);
}

void TestSceneStrokeInput::liveStrokeIsPaintedOnTopOfItsLayer()
{
    Model::Scene scene;
    scene.setFrameSize(FrameSize, KW::FitMode::FitModeKeepAspect, nullptr);
    auto const above = strokeLayer(QColor(255, 0, 0), 1);
    auto const drawnOn = strokeLayer(QColor(0, 0, 255), 1);
    above->appendStroke(1, block(QRect(0, 40, 200, 40)));
    scene.addLayer(above, 0);
    scene.addLayer(drawnOn, 1);
    scene.setActiveFrameAndLayer(1, 1, Model::Scene::KeepWithinDrawnFrames);
    scene.updateCachedFramePixmap(true);

    scene.beginStroke(guide(QPointF(20, 60), 1.0));
    for (int x = 30; x <= 180; x += 10)
        scene.addStrokePoint(guide(QPointF(x, 60), 1.0));
    scene.addStrokePoint(guide(QPointF(180.0, 60.5), 1.0));
    QTest::qWait(50);

    // The active layer's stroke lies over the red layer above it: blue at the
    // stroke's coverage over red.
    QImage const& coverage = scene.activeStroke()->buffer();
    QPoint inked(20, 60);
    for (int x = 20; x < 180; ++x) {
        if (coverage.constScanLine(60)[x] > coverage.constScanLine(60)[inked.x()])
            inked = QPoint(x, 60);
    }
    int const c = coverage.constScanLine(60)[inked.x()];
    QVERIFY2(c >= 64, qPrintable(QString::number(c)));
    for (bool const withBacklight : {true, false}) {
        QImage image = transparentImage();
        QPainter painter(&image);
        if (withBacklight)
            scene.draw(&painter, FrameRect);
        else
            scene.drawOnlyCurrentFrame(&painter, FrameRect);
        painter.end();
        QRgb const p = image.pixel(inked);
        QVERIFY2(std::abs(qRed(p) - (255 - c)) <= 2 && qGreen(p) == 0
                     && std::abs(qBlue(p) - c) <= 2,
                 qPrintable(QStringLiteral("%1 %2 %3 at coverage %4")
                                .arg(qRed(p)).arg(qGreen(p)).arg(qBlue(p)).arg(c)));
        QCOMPARE(QColor(image.pixel(5, 45)), QColor(255, 0, 0));
    }

    // With the active layer hidden, drawOnlyCurrentFrame leaves it out.
    drawnOn->setVisible(false);
    QImage image = transparentImage();
    {
        QPainter painter(&image);
        scene.drawOnlyCurrentFrame(&painter, FrameRect);
    }
    QCOMPARE(QColor(image.pixel(inked)), QColor(255, 0, 0));
    drawnOn->setVisible(true);
    QVERIFY(scene.endStroke());
}

void TestSceneStrokeInput::dottedLineToTheCursor()
{
    Model::Scene scene;
    scene.setFrameSize(FrameSize, KW::FitMode::FitModeKeepAspect, nullptr);
    auto const layer = strokeLayer(Qt::black, 3);
    scene.addLayer(layer, 0);
    scene.addLayer(std::make_shared<Model::ReferenceLayer>(FrameSize, nullptr), 1);

    auto const dotted = [&scene]() {
        QImage image = transparentImage();
        QPainter painter(&image);
        scene.drawDottedLineToCursor(&painter, FrameRect, 1.0);
        painter.end();
        return inkedPixels(image);
    };
    QCOMPARE(dotted(), 0); // no stroke
    scene.beginStroke(guide(QPointF(20, 20)));
    // The stroke trails behind a fast pen.
    scene.addStrokePoint(guide(QPointF(180, 100)));
    QVERIFY(dotted() > 0);

    scene.setScrubFrame(2);
    QCOMPARE(dotted(), 0);
    scene.unsetScrubFrame();
    QVERIFY(dotted() > 0);
    layer->setVisible(false);
    QCOMPARE(dotted(), 0);
    layer->setVisible(true);
    scene.setActiveFrameAndLayer(1, 1, Model::Scene::KeepWithinDrawnFrames);
    QCOMPARE(dotted(), 0); // a reference layer
    scene.endStroke();

    m_tools->setCurrentTool(Model::Tool::Erase, Model::Tool::Usable);
    scene.setActiveFrameAndLayer(1, 0, Model::Scene::KeepWithinDrawnFrames);
    scene.beginStroke(guide(QPointF(20, 20)));
    scene.addStrokePoint(guide(QPointF(180, 100)));
    QVERIFY(scene.activeStroke()->isEraser());
    QCOMPARE(dotted(), 0);
    scene.endStroke();
}

void TestSceneStrokeInput::appendReportsEveryCellShowingTheDrawing_data()
{
    QTest::addColumn<int>("layer");
    QTest::addColumn<int>("frame");
    QTest::addColumn<Cells>("reported");

    // Layer 0: A . . B; layer 1: C A' . where A' is a distant clone of A.
    Cells const ofA{{1, 0}, {2, 0}, {2, 1}, {3, 0}, {3, 1}};
    QTest::newRow("the original") << 0 << 1 << ofA;
    QTest::newRow("a hold of it") << 0 << 3 << ofA;
    QTest::newRow("its distant clone") << 1 << 2 << ofA;
    QTest::newRow("a hold of the clone") << 1 << 3 << ofA;
    QTest::newRow("another original") << 0 << 4 << Cells{{4, 0}};
}

void TestSceneStrokeInput::appendReportsEveryCellShowingTheDrawing()
{
    QFETCH(int, layer);
    QFETCH(int, frame);
    QFETCH(Cells, reported);

    Model::Scene scene;
    scene.setFrameSize(FrameSize, KW::FitMode::FitModeKeepAspect, nullptr);
    auto const first = strokeLayer(Qt::black, 4);
    auto const second = strokeLayer(Qt::black, 3);
    auto& cells = first->frames();
    cells[1] = std::make_shared<Model::LayerItem>(cells.at(0)->drawing);
    cells[2] = std::make_shared<Model::LayerItem>(cells.at(0)->drawing);
    Fixture::link(*first, 1, *second, 2);
    second->frames()[2] = std::make_shared<Model::LayerItem>(second->frames().at(1)->drawing);
    scene.addLayer(first, 0);
    scene.addLayer(second, 1);

    QSignalSpy drawings(&scene, &Model::Scene::drawingsChanged);
    QVERIFY(scene.appendStroke(layer, frame, block(QRect(10, 10, 5, 5))));
    QCOMPARE(drawings.count(), 1);
    QCOMPARE(drawings.at(0).at(0).value<Cells>(), reported);
    // Every one of those cells shows the stroke.
    for (auto const& [f, l] : reported)
        QCOMPARE(strokeCount(*(l == 0 ? first : second), f), 1);

    // Taking it out again reports the same cells.
    std::unique_ptr<Model::Stroke> removed = scene.removeLastStroke(layer, frame);
    QVERIFY(removed);
    QCOMPARE(removed->boundingRect(), QRect(10, 10, 5, 5));
    QCOMPARE(drawings.count(), 2);
    QCOMPARE(drawings.at(1).at(0).value<Cells>(), reported);
    QCOMPARE(strokeCount(*first, 1), 0);
}

void TestSceneStrokeInput::redoOnAHiddenLayerPutsTheStrokeBack()
{
    Model::Scene scene;
    scene.setFrameSize(FrameSize, KW::FitMode::FitModeKeepAspect, nullptr);
    auto const layer = strokeLayer(Qt::black, 1);
    scene.addLayer(layer, 0);
    QVERIFY(scene.appendStroke(0, 1, block(QRect(10, 10, 5, 5))));
    QVERIFY(scene.appendStroke(0, 1, block(QRect(50, 50, 5, 5))));

    // Undo the second stroke, hide the layer, redo, undo again: the same
    // stroke comes and goes each time and the first one stays.
    std::unique_ptr<Model::Stroke> kept = scene.removeLastStroke(0, 1);
    QCOMPARE(kept->boundingRect(), QRect(50, 50, 5, 5));
    QVERIFY(scene.setLayerVisible(0, false));
    QVERIFY(scene.appendStroke(0, 1, std::move(kept)));
    QVERIFY(!kept);
    QCOMPARE(strokeCount(*layer, 1), 2);
    kept = scene.removeLastStroke(0, 1);
    QVERIFY(kept);
    QCOMPARE(kept->boundingRect(), QRect(50, 50, 5, 5));
    QCOMPARE(strokeCount(*layer, 1), 1);
    QCOMPARE(layer->strokeDrawing(0)->rootStroke()->boundingRect(), QRect(10, 10, 5, 5));

    // Shown again, the layer shows only the first stroke.
    QVERIFY(scene.setLayerVisible(0, true));
    QImage image = transparentImage();
    {
        QPainter painter(&image);
        scene.draw(&painter, FrameRect);
    }
    QCOMPARE(qAlpha(image.pixel(12, 12)), 255);
    QCOMPARE(qAlpha(image.pixel(52, 52)), 0);
}

void TestSceneStrokeInput::refusedStrokesStayWithTheCaller()
{
    Model::Scene scene;
    scene.setFrameSize(FrameSize, KW::FitMode::FitModeKeepAspect, nullptr);
    auto const layer = strokeLayer(Qt::black, 2);
    scene.addLayer(layer, 0);
    scene.addLayer(std::make_shared<Model::ReferenceLayer>(FrameSize, nullptr), 1);

    auto const spies = Fixture::spyOnAllSignals(&scene);
    // No such layer, a reference layer, no such frame.
    std::unique_ptr<Model::Stroke> stroke = block(QRect(10, 10, 5, 5));
    for (auto const& [l, f] : {std::pair{-1, 1}, std::pair{2, 1}, std::pair{1, 1},
                               std::pair{0, 0}, std::pair{0, 3}}) {
        QVERIFY(!scene.appendStroke(l, f, std::move(stroke)));
        QVERIFY(stroke);
    }
    QVERIFY(!scene.appendStroke(0, 1, nullptr));
    QCOMPARE(Fixture::caught(spies), QStringList());

    // An eraser on a drawing with nothing to erase.
    m_tools->setCurrentTool(Model::Tool::Erase, Model::Tool::Usable);
    scene.beginStroke(guide(QPointF(20, 20)));
    scene.addStrokePoint(guide(QPointF(60, 20)));
    std::unique_ptr<Model::Stroke> eraser = scene.endStroke();
    for (auto const& spy : spies)
        spy->clear();
    QVERIFY(!scene.appendStroke(0, 1, std::move(eraser)));
    QVERIFY(eraser);
    QCOMPARE(strokeCount(*layer, 1), 0);
    for (auto const& spy : spies)
        QCOMPARE(spy->count(), 0);

    // Once there is something to erase it is taken.
    QVERIFY(scene.appendStroke(0, 1, std::move(stroke)));
    QVERIFY(scene.appendStroke(0, 1, std::move(eraser)));
    QVERIFY(!eraser);
    QCOMPARE(strokeCount(*layer, 1), 2);
}

void TestSceneStrokeInput::floatingSelectionFromTheActiveLayer()
{
    QPainterPath lasso;
    lasso.addRect(0, 0, 100, 100);
    Model::Scene empty;
    QVERIFY(!empty.createNewFloatingSelection(lasso));
    QImage image = transparentImage();
    {
        QPainter painter(&image);
        empty.drawDottedLineToCursor(&painter, FrameRect, 1.0);
    }
    QCOMPARE(inkedPixels(image), 0);

    Model::Scene scene;
    scene.setFrameSize(FrameSize, KW::FitMode::FitModeKeepAspect, nullptr);
    auto const layer = strokeLayer(Qt::black, 2);
    scene.addLayer(layer, 0);
    scene.addLayer(std::make_shared<Model::ReferenceLayer>(FrameSize, nullptr), 1);
    layer->appendStroke(2, block(QRect(20, 20, 10, 10)));
    scene.setFrameRange(1, 2, 2, 0);
    QCOMPARE(scene.activeFrame(), 2);
    std::unique_ptr<Model::FloatingSelection> selection = scene.createNewFloatingSelection(lasso);
    QVERIFY(selection);
    // Frame 1 has nothing to lift.
    scene.setActiveFrameAndLayer(1, 0, Model::Scene::KeepWithinDrawnFrames);
    QVERIFY(!scene.createNewFloatingSelection(lasso));
    scene.setActiveFrameAndLayer(1, 1, Model::Scene::KeepWithinDrawnFrames);
    QVERIFY(!scene.createNewFloatingSelection(lasso));
}

QUILLMERE_TEST_MAIN(TestSceneStrokeInput)
#include "tst_scenestrokeinput.moc"
