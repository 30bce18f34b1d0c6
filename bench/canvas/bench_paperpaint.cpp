// Cost of painting the canvas: a full repaint of a 1920 x 1080 canvas over a
// 1920 x 1080 scene of four stroke layers with the light table on, beside
// a stroke-sized partial repaint (a 48 x 48 widget square, what one pen
// event exposes), at zoom levels 1, 2 and 0.5. The full repaint is the
// baseline: the partial one should cost a small fraction of it.
#include "canvas/Paper.h"
#include "drawings/StrokeDrawing.h"
#include "scene/KWScene.h"
#include "scene/Scene.h"
#include "scene/StrokeLayer.h"
#include "settings/BacklightSettings.h"
#include "startup/Init.h"
#include "strokes/BitmapStroke.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QElapsedTimer>
#include <QRegion>

#include <cmath>
#include <cstdio>
#include <vector>
#include <algorithm>
#include <memory>

namespace {

const QSize FrameSize(1920, 1080);

std::unique_ptr<Model::BitmapStroke> scribble(int seed)
{
    // A ring of ink across much of the frame, different per layer.
    QImage coverage(FrameSize, QImage::Format_Alpha8);
    coverage.fill(Qt::transparent);
    for (int y = 0; y < FrameSize.height(); ++y) {
        uchar* line = coverage.scanLine(y);
        for (int x = 0; x < FrameSize.width(); ++x) {
            const double r = std::hypot(x - 960.0 - seed * 40, y - 540.0);
            if (std::abs(r - 300.0 - seed * 30) < 25.0)
                line[x] = 255;
        }
    }
    return std::make_unique<Model::BitmapStroke>(coverage, QRect(QPoint(0, 0), FrameSize));
}

struct Fixture
{
    Fixture()
    {
        Model::Scene* scene = kwscene.scene();
        scene->setFrameSize(FrameSize, KW::FitMode::FitModeKeepAspect, nullptr);
        for (int l = 0; l < 4; ++l) {
            auto layer = std::make_shared<Model::StrokeLayer>(QColor::fromHsv(l * 80, 200, 200),
                                                              FrameSize, nullptr);
            for (int frame = 2; frame <= 3; ++frame)
                layer->insertBlankFrameAfter(frame - 1);
            for (int frame = 1; frame <= 3; ++frame)
                layer->appendStroke(frame, scribble(l + frame));
            scene->addLayer(layer, 0);
        }
        scene->setFrameRange(1, 3, 2, 0);
        Model::BacklightSettings light;
        light.enabled = true;
        light.settingA.opacityLevelsBefore = {0.5};
        light.settingA.opacityLevelsAfter = {0.5};
        scene->setBacklightSettings(light);
        scene->updateCachedFramePixmap(true);
        Model::KWScene::setCurrentKWScene(&kwscene);
        paper.resize(FrameSize);
        paper.setCurrentScene(&kwscene);
        paper.setGridStatus(KW::GridStatus::GridOn);
    }

    Model::KWScene kwscene;
    UI::Paper paper;
    QImage target{FrameSize, QImage::Format_RGB32};
};

Fixture& fixture()
{
    static Fixture f;
    return f;
}

const QRegion FullRegion(QRect(QPoint(0, 0), FrameSize));
// Over the ink of the current frame, near the view's centre.
const QRegion StrokeRegion(QRect(1220, 510, 48, 48));

void repaint(benchmark::State& state, const QRegion& region)
{
    Fixture& f = fixture();
    f.paper.setZoomLevelCenteringOnOrigin(state.range(0) / 100.0);
    for (auto _ : state)
        f.paper.render(&f.target, QPoint(), region, QWidget::DrawChildren);
    benchmark::DoNotOptimize(f.target.constBits());
}

void BM_FullRepaint(benchmark::State& state)
{
    repaint(state, FullRegion);
}

void BM_PartialRepaint(benchmark::State& state)
{
    repaint(state, StrokeRegion);
}

// Median milliseconds of one repaint of the region.
double medianMs(const QRegion& region, int runs)
{
    Fixture& f = fixture();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        f.paper.render(&f.target, QPoint(), region, QWidget::DrawChildren);
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void printRatios()
{
    std::printf("\nzoom   full repaint (baseline)   48x48 partial   partial / full\n");
    for (int zoom : {100, 200, 50}) {
        fixture().paper.setZoomLevelCenteringOnOrigin(zoom / 100.0);
        const double full = medianMs(FullRegion, 31);
        const double partial = medianMs(StrokeRegion, 201);
        std::printf("%4.1f   %10.3f ms             %8.3f ms     %6.4f\n", zoom / 100.0, full,
                    partial, partial / full);
    }
}

void zooms(benchmark::internal::Benchmark* b)
{
    for (int zoom : {100, 200, 50})
        b->Arg(zoom);
    b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_FullRepaint)->Apply(zooms);
BENCHMARK(BM_PartialRepaint)->Apply(zooms);

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quillmere"));
    QApplication::setApplicationName(QStringLiteral("Quillmere"));
    Model::init();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    printRatios();
    benchmark::Shutdown();
    return 0;
}
