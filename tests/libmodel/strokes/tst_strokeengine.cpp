#include "TestSupport.h"

#include "StrokeFixtures.h"

#include "rendering/OffscreenRenderer.h"
#include "strokes/StrokeEngine.h"
#include "tools/EraserTool.h"
#include "tools/PenTool.h"
#include "tools/ToolManager.h"

#include <QElapsedTimer>
#include <QList>
#include <QSignalSpy>
#include <QTimer>

#include <memory>

using Model::StrokeEngine;
using Model::Tool;
using StrokeFixtures::guide;

namespace {

// The engine's end-point timer: of its two timers the one with the long
// interval.
QTimer* endPointTimer(const StrokeEngine& engine)
{
    for (QTimer* timer : engine.findChildren<QTimer*>()) {
        if (timer->interval() == StrokeEngine::EndPointIntervalMs)
            return timer;
    }
    return nullptr;
}

// Records when each rectChanged arrives, in milliseconds since start().
class RectLog : public QObject
{
public:
    explicit RectLog(StrokeEngine* engine)
    {
        connect(engine, &StrokeEngine::rectChanged, this, [this](QRect rect) {
            rects.append(rect);
            times.append(clock.elapsed());
        });
        clock.start();
    }

    QElapsedTimer clock;
    QList<QRect> rects;
    QList<qint64> times;
};

} // namespace

class TestStrokeEngine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void areaMovesPointsAndReports_data();
    void areaMovesPointsAndReports();
    void restingPenCatchesUpAndEndsOnTheEndPointTimer();
    void tooClosePointIsIgnoredWithoutRestartingTimers();
    void beginWhileActiveDropsTheOldStroke();
    void endStrokeHandsOverWithoutRepaint();
    void withoutActiveStrokeNothingHappens();
    void withoutToolTheCurrentToolDraws();

private:
    QObject m_toolOwner;
    Model::PenTool* m_pencil = nullptr;
};

void TestStrokeEngine::initTestCase()
{
    QVERIFY(Model::OffscreenRenderer::instance()->initialize(QSize(256, 256)));
    m_pencil = new Model::PenTool(Tool::Pencil, &m_toolOwner);
    m_pencil->setSizeRangeLimits(0.5, 45.0);
    // Wide enough that the stroke shows clearly in its buffer.
    m_pencil->setSizeRangePercent(10.0, 20.0);
    m_pencil->setOpacityRangePercent(50.0, 100.0);
}

void TestStrokeEngine::areaMovesPointsAndReports_data()
{
    QTest::addColumn<bool>("sizeOnly");
    QTest::addColumn<bool>("withDirection");

    QTest::newRow("area") << false << false;
    QTest::newRow("area with direction") << false << true;
    QTest::newRow("size") << true << false;
    QTest::newRow("size with direction") << true << true;
}

void TestStrokeEngine::areaMovesPointsAndReports()
{
    QFETCH(bool, sizeOnly);
    QFETCH(bool, withDirection);

    const QRect area = sizeOnly ? QRect(0, 0, 200, 120) : QRect(100, 40, 200, 120);
    const QPointF origin = area.topLeft();
    StrokeEngine engine;
    RectLog log(&engine);

    const QPointF first = origin + QPointF(10, 10);
    // Behind the first point, to its left: the stroke starts moving right.
    const QPointF direction = origin + QPointF(0, 10);
    if (sizeOnly && withDirection)
        engine.beginStroke(area.size(), guide(first), direction, m_pencil);
    else if (sizeOnly)
        engine.beginStroke(area.size(), guide(first), m_pencil);
    else if (withDirection)
        engine.beginStroke(area, guide(first), direction, m_pencil);
    else
        engine.beginStroke(area, guide(first), m_pencil);

    const Model::SingleStroke* stroke = engine.activeStroke();
    QVERIFY(stroke);
    QCOMPARE(stroke->buffer().size(), area.size());
    QCOMPARE(stroke->guidePoints().size(), 1);
    QCOMPARE(stroke->guidePoints().first().position, QPointF(10, 10));
    if (withDirection) {
        const QLineF tangent = stroke->resultPoints().first().tangent;
        QVERIFY(tangent.dx() > 0.0);
        QVERIFY(qAbs(tangent.dy()) < 1e-9);
    }

    // Reported rectangles are in the caller's coordinates, around the pen.
    QCOMPARE(log.rects.size(), 1);
    QVERIFY(log.rects.first().contains(first.toPoint()));
    QVERIFY(area.contains(log.rects.first()));

    const QPointF second = origin + QPointF(60, 30);
    engine.addStrokePoint(guide(second));
    QCOMPARE(stroke->guidePoints().last().position, QPointF(60, 30));
    QCOMPARE(log.rects.size(), 2);
    QVERIFY(log.rects.last().contains(second.toPoint()));
    QVERIFY(area.contains(log.rects.last()));

    // The stroke was drawn into its own buffer, in its own coordinates.
    const auto finished = engine.endStroke();
    QVERIFY(StrokeFixtures::at(finished->buffer(), 10, 10) > 0);
    QCOMPARE(StrokeFixtures::at(finished->buffer(), 150, 100), uchar(0));
}

void TestStrokeEngine::restingPenCatchesUpAndEndsOnTheEndPointTimer()
{
    StrokeEngine engine;
    RectLog log(&engine);
    QSignalSpy activeSpy(&engine, &StrokeEngine::hasActiveStrokeChanged);

    engine.beginStroke(QSize(200, 120), guide(QPointF(20, 60)), m_pencil);
    engine.addStrokePoint(guide(QPointF(60, 60)));
    engine.addStrokePoint(guide(QPointF(100, 60)));
    const qint64 lastPoint = log.clock.elapsed();
    const int reportsAtRest = log.rects.size();
    const Model::SingleStroke* stroke = engine.activeStroke();
    // One builder run covers only part of the way to the pen.
    QVERIFY(stroke->resultPoints().last().position != QPointF(100, 60));
    const int resultsAtRest = stroke->resultPoints().size();

    QTest::qWait(1200);

    // Extra points every 20 ms while resting ...
    const int reportsWhileResting = log.rects.size() - reportsAtRest;
    QVERIFY2(reportsWhileResting >= 5, qPrintable(QString::number(reportsWhileResting)));
    QVERIFY(stroke->resultPoints().size() > resultsAtRest);
    // ... until the end point, 500 ms after the last accepted point, pulls the
    // stroke all the way to the pen and stops both timers.
    const qint64 lastReport = log.times.last() - lastPoint;
    QVERIFY2(lastReport >= 450 && lastReport < 1000, qPrintable(QString::number(lastReport)));
    QVERIFY(log.clock.elapsed() - log.times.last() >= 150);
    QCOMPARE(stroke->resultPoints().last().position, QPointF(100, 60));

    // The stroke stays active until it is taken.
    QCOMPARE(engine.activeStroke(), stroke);
    QCOMPARE(activeSpy.count(), 1);

    const auto finished = engine.endStroke();
    QCOMPARE(finished.get(), stroke);
    QCOMPARE(activeSpy.count(), 2);
    QCOMPARE(activeSpy.last().at(0).toBool(), false);
    // Rasterised by the renderer along the whole way, nothing far from it.
    const QImage& buffer = finished->buffer();
    for (const int x : {20, 40, 60, 80, 100})
        QVERIFY2(StrokeFixtures::at(buffer, x, 60) > 0, qPrintable(QString::number(x)));
    QCOMPARE(StrokeFixtures::at(buffer, 60, 110), uchar(0));
    QCOMPARE(StrokeFixtures::at(buffer, 180, 60), uchar(0));
}

void TestStrokeEngine::tooClosePointIsIgnoredWithoutRestartingTimers()
{
    StrokeEngine engine;
    RectLog log(&engine);
    engine.beginStroke(QSize(100, 100), guide(QPointF(20, 20)), m_pencil);
    QElapsedTimer sinceBegin; // the timers started at the end of beginStroke
    sinceBegin.start();
    QTimer* endTimer = endPointTimer(engine);
    QVERIFY(endTimer);
    QVERIFY(endTimer->isActive());

    QTest::qWait(200);
    const int reports = log.rects.size();
    // Squared distance 0.25 + 0.49 is below 1.
    engine.addStrokePoint(guide(QPointF(20.5, 20.7)));
    QCOMPARE(engine.activeStroke()->guidePoints().size(), 1);
    QCOMPARE(log.rects.size(), reports);
    QVERIFY(endTimer->isActive());
    const qint64 remaining = endTimer->remainingTime();
    QVERIFY2(remaining <= StrokeEngine::EndPointIntervalMs - sinceBegin.elapsed() + 30,
             qPrintable(QString::number(remaining)));

    // An accepted point restarts the timers.
    engine.addStrokePoint(guide(QPointF(21.0, 20.0)));
    QCOMPARE(engine.activeStroke()->guidePoints().size(), 2);
    QVERIFY(endTimer->remainingTime() > StrokeEngine::EndPointIntervalMs - 30);

    QTRY_VERIFY_WITH_TIMEOUT(!endTimer->isActive(), 2000);
    QCOMPARE(engine.activeStroke()->resultPoints().last().position, QPointF(21.0, 20.0));
}

void TestStrokeEngine::beginWhileActiveDropsTheOldStroke()
{
    StrokeEngine engine;
    engine.beginStroke(QSize(100, 100), guide(QPointF(10, 10)), m_pencil);
    engine.addStrokePoint(guide(QPointF(50, 10)));
    QSignalSpy activeSpy(&engine, &StrokeEngine::hasActiveStrokeChanged);

    engine.beginStroke(QRect(50, 50, 80, 60), guide(QPointF(70, 70)), m_pencil);
    QCOMPARE(activeSpy.count(), 2);
    QCOMPARE(activeSpy.at(0).at(0).toBool(), false);
    QCOMPARE(activeSpy.at(1).at(0).toBool(), true);

    const Model::SingleStroke* stroke = engine.activeStroke();
    QCOMPARE(stroke->guidePoints().size(), 1);
    QCOMPARE(stroke->guidePoints().first().position, QPointF(20, 20));
    QCOMPARE(stroke->buffer().size(), QSize(80, 60));
    // Nothing of the old stroke is in the new one's buffer.
    QCOMPARE(StrokeFixtures::at(stroke->buffer(), 60, 5), uchar(0));
}

void TestStrokeEngine::endStrokeHandsOverWithoutRepaint()
{
    StrokeEngine engine;
    RectLog log(&engine);
    engine.beginStroke(QSize(100, 100), guide(QPointF(10, 50)), m_pencil);
    engine.addStrokePoint(guide(QPointF(80, 50)));
    const int reports = log.rects.size();

    const auto stroke = engine.endStroke();
    QVERIFY(stroke);
    QVERIFY(!engine.hasActiveStroke());
    QCOMPARE(engine.activeStroke(), nullptr);
    QCOMPARE(log.rects.size(), reports);
    // Ending pulled the stroke to the pen and drew it.
    QCOMPARE(stroke->resultPoints().last().position, QPointF(80, 50));
    QVERIFY(StrokeFixtures::at(stroke->buffer(), 78, 50) > 0);

    // The timers are stopped: no more extra or end points.
    QTest::qWait(600);
    QCOMPARE(log.rects.size(), reports);
    QVERIFY(!endPointTimer(engine)->isActive());
}

void TestStrokeEngine::withoutActiveStrokeNothingHappens()
{
    StrokeEngine engine;
    QSignalSpy rectSpy(&engine, &StrokeEngine::rectChanged);
    QSignalSpy activeSpy(&engine, &StrokeEngine::hasActiveStrokeChanged);
    engine.addStrokePoint(guide(QPointF(10, 10)));
    QCOMPARE(engine.endStroke(), nullptr);
    QVERIFY(!engine.hasActiveStroke());
    QCOMPARE(rectSpy.count(), 0);
    QCOMPARE(activeSpy.count(), 0);

    engine.beginStroke(QSize(50, 50), guide(QPointF(10, 10)), m_pencil);
    QVERIFY(engine.endStroke());
    QCOMPARE(engine.endStroke(), nullptr);
    QCOMPARE(activeSpy.count(), 2);
}

void TestStrokeEngine::withoutToolTheCurrentToolDraws()
{
    Model::ToolManager* manager = Model::ToolManager::instance();
    manager->init();
    manager->setCurrentEraserToolType(Tool::Vinyl);
    manager->setCurrentTool(Tool::Erase, Tool::Usable);

    StrokeEngine engine;
    engine.beginStroke(QSize(50, 50), guide(QPointF(10, 10)), nullptr);
    QVERIFY(engine.activeStroke()->isEraser());
    QCOMPARE(engine.activeStroke()->eraserType(), Tool::Vinyl);
    engine.endStroke();

    engine.beginStroke(QSize(50, 50), guide(QPointF(10, 10)), m_pencil);
    QVERIFY(engine.activeStroke()->isPen());
    QCOMPARE(engine.activeStroke()->penType(), Tool::Pencil);
}

QUILLMERE_TEST_MAIN(TestStrokeEngine)
#include "tst_strokeengine.moc"
