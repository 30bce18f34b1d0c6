// Cost of compositing one frame of a full-HD scene from scratch, the work
// done whenever the active frame changes: the current-frame picture of
// eight stroke layers, the backlight picture with two drawings before and
// two after the active one on every layer, and the frame picture that
// combines them. Beside it the cost of a canvas repaint of the whole frame
// from the cached picture.
//
// Beside the composite, its floor in the same run: QPainter drawing as many
// full-frame images as the composite has sources (eight layers and four
// backlight frames) onto a frame, which a composite of full-frame layer
// buffers could not beat (counters floor_ms and vs_floor, below 1 when the
// composite is cheaper than the floor).
//
// Every drawing is a figure of six marker strokes, about 450 pixels across,
// rasterised by the off-screen renderer and placed differently on each layer
// and frame. The counter "drawingArea" gives the share of the frame that a
// drawing's bounds cover on average.
#include "BenchRendering.h"

#include "drawings/StrokeDrawing.h"
#include "strokes/CompoundStroke.h"
#include "rendering/OffscreenRenderer.h"
#include "scene/LayerItem.h"
#include "scene/Scene.h"
#include "scene/StrokeLayer.h"
#include "settings/BacklightSettings.h"
#include "strokes/Blending.h"
#include "strokes/SingleStroke.h"
#include "tools/PenTool.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QElapsedTimer>
#include <QPainter>
#include <QPixmap>

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include <algorithm>

namespace {

const QSize FrameSize(1920, 1080);
constexpr int LayerCount = 8;
constexpr int FrameCount = 9;
constexpr int StrokesPerDrawing = 6;
constexpr int ActiveFrame = 5;

struct Fixture
{
    Fixture()
    {
        pen = new Model::PenTool(Model::Tool::Marker, &toolOwner);
        pen->setSizeRangePercent(10.0, 30.0);
        // Sized before any layer arrives, so nothing is resized.
        scene.setFrameSize(FrameSize, KW::FitMode::FitModeKeepAspect, nullptr);

        for (int l = 0; l < LayerCount; ++l) {
            auto layer = std::make_shared<Model::StrokeLayer>(QColor::fromHsv(l * 45, 200, 160),
                                                              FrameSize, nullptr);
            for (int f = 2; f <= FrameCount; ++f)
                layer->insertBlankFrameAfter(f - 1);
            for (int f = 1; f <= FrameCount; ++f) {
                const QPointF centre(240.0 + 200.0 * l + 12.0 * f,
                                     300.0 + 60.0 * (l % 4) + 8.0 * f);
                for (int s = 0; s < StrokesPerDrawing; ++s)
                    layer->appendStroke(f, BenchRendering::figureStroke(pen, FrameSize, centre, l * 31 + f * 7 + s));
            }
            for (int f = 1; f <= FrameCount; ++f) {
                const QRect bounds = layer->strokeDrawing(f - 1)->rootStroke()->boundingRect()
                                     & QRect(QPoint(0, 0), FrameSize);
                drawingArea += double(bounds.width()) * bounds.height()
                               / (double(FrameSize.width()) * FrameSize.height())
                               / (LayerCount * FrameCount);
            }
            scene.addLayer(layer, scene.numLayers());
        }
        scene.setFrameRange(1, FrameCount, ActiveFrame, 0);

        Model::BacklightSettings backlight;
        backlight.enabled = true;
        backlight.current = Model::BacklightSettings::BacklightSettingA;
        backlight.settingA.opacityLevelsBefore = {0.5, 0.25};
        backlight.settingA.opacityLevelsAfter = {0.5, 0.25};
        backlight.settingA.layers = Model::BacklightSetting::BacklightVisibleLayers;
        scene.setBacklightSettings(backlight);
    }

    QObject toolOwner;
    Model::PenTool* pen = nullptr;
    double drawingArea = 0.0;
    Model::Scene scene;
};

Fixture& fixture()
{
    static Fixture instance;
    return instance;
}

// The median wall time of QPainter drawing twelve full-frame images of
// scattered ink onto a full-frame pixmap, in seconds.
double fullFrameFloor()
{
    std::vector<QImage> sources;
    for (int i = 0; i < LayerCount + 4; ++i) {
        QImage image(FrameSize, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter(&image).fillRect(QRect(200 * (i % 8), 300, 450, 450), QColor(0, 0, 128, 128));
        sources.push_back(image);
    }
    QPixmap target(FrameSize);
    std::vector<double> times;
    for (int run = 0; run < 15; ++run) {
        QElapsedTimer timer;
        timer.start();
        target.fill(Qt::transparent);
        QPainter painter(&target);
        for (QImage const& source : sources)
            painter.drawImage(0, 0, source);
        painter.end();
        times.push_back(timer.nsecsElapsed() / 1e9);
    }
    std::nth_element(times.begin(), times.begin() + 7, times.end());
    return times[7];
}

void BM_CompositeFrame(benchmark::State& state)
{
    Model::Scene& scene = fixture().scene;
    double const floor = fullFrameFloor();
    for (auto _ : state)
        scene.updateCachedFramePixmap(true);
    state.counters["floor_ms"] = floor * 1e3;
    // Per iteration: composite time over floor time (rates divide by the
    // run's time, inverted here).
    state.counters["vs_floor"] = benchmark::Counter(
        floor * double(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["backlightFrames"] = double(scene.backlightFrames().size());
    state.counters["drawingArea"] = fixture().drawingArea;
}

// Without the backlight picture: what an edit that keeps the backlight
// (a tool change) costs.
void BM_CompositeCurrentFrameOnly(benchmark::State& state)
{
    Model::Scene& scene = fixture().scene;
    for (auto _ : state)
        scene.updateCachedFramePixmap(false);
}

// Stepping through the frames, as flipping does: each step composites its
// frame from scratch.
void BM_FlipThroughFrames(benchmark::State& state)
{
    Model::Scene& scene = fixture().scene;
    int frame = 3;
    for (auto _ : state) {
        scene.setActiveFrameAndLayer(frame, 0, Model::Scene::KeepWithinDrawnFrames);
        frame = frame == FrameCount - 2 ? 3 : frame + 1;
    }
    scene.setActiveFrameAndLayer(ActiveFrame, 0, Model::Scene::KeepWithinDrawnFrames);
}

// The canvas repainting the whole frame from the cached picture.
void BM_PaintWholeFrame(benchmark::State& state)
{
    Model::Scene& scene = fixture().scene;
    QImage canvas(FrameSize, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        canvas.fill(Qt::white);
        QPainter painter(&canvas);
        scene.draw(&painter, QRect(QPoint(0, 0), FrameSize));
    }
}

// Qt's raster engine spreads large fills and blends over a pool of threads:
// the time is wall-clock time, the CPU time that of the whole process.
BENCHMARK(BM_CompositeFrame)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_CompositeCurrentFrameOnly)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_FlipThroughFrames)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();
BENCHMARK(BM_PaintWholeFrame)
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (!BenchRendering::start(FrameSize))
        return 1;
    fixture();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
