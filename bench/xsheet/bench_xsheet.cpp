// Cost of one scroll step of the exposure sheet: the view moves down by one
// row and its whole viewport is painted again, as after a wheel step that
// Qt could not scroll in place. The sheet shows twelve stroke layers, an
// original every eight frames and holds between them, once 200 frames long
// (the baseline) and once 2,000 frames long. A step only touches the rows in
// view, so the two must cost the same; the last line prints their ratio.
//
// Thumbnails are made once per drawing and size and then kept by the
// drawings: every position is visited once before timing, so that the
// figures are those of a user scrolling back and forth.
#include "drawings/StrokeDrawing.h"
#include "models/FrameRangeModel.h"
#include "scene/KWScene.h"
#include "scene/LayerItem.h"
#include "scene/Scene.h"
#include "scene/StrokeLayer.h"
#include "startup/Init.h"
#include "strokes/BitmapStroke.h"
#include "xsheet/XSheet.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QScrollBar>

#include <cstdio>
#include <map>
#include <memory>

namespace {

const QSize FrameSize(192, 108);
constexpr int LayerCount = 12;
constexpr int HoldRun = 8;
constexpr int ShortScene = 200;
constexpr int LongScene = 2000;

std::shared_ptr<Model::LayerItem> original(int seed)
{
    auto drawing = std::make_shared<Model::StrokeDrawing>(FrameSize);
    QImage block(QSize(40 + seed % 50, 30 + seed % 40), QImage::Format_Alpha8);
    block.fill(200);
    drawing->appendStroke(std::make_unique<Model::BitmapStroke>(
        block, QRect(QPoint(seed % 100, seed % 60), block.size())));
    return std::make_shared<Model::LayerItem>(Model::LayerItem::Original, QUuid::createUuid(), drawing);
}

struct Sheet
{
    explicit Sheet(int frames)
    {
        Model::KWScene::setCurrentKWScene(&bundle);
        Model::Scene* const scene = bundle.scene();
        scene->setFrameSize(FrameSize, KW::FitMode::FitModeKeepAspect, nullptr);
        for (int l = 0; l < LayerCount; ++l) {
            auto layer = std::make_shared<Model::StrokeLayer>(QColor::fromHsv(l * 30, 200, 120), FrameSize,
                                                              nullptr);
            auto& cells = layer->frames();
            cells.clear();
            for (int f = 0; f < frames; ++f) {
                if (f % HoldRun == 0)
                    cells.append(original(l * 7919 + f));
                else
                    cells.append(std::make_shared<Model::LayerItem>(cells.last()->drawing));
            }
            scene->addLayer(layer, scene->numLayers());
        }
        scene->setFrameRange(1, frames, 1, 0);
        view.setEnableVerticalScrollAnimation(false);
        view.setModel(bundle.frameRangeModel());
        view.setSelectionModel(bundle.selectionModel());
        view.resize(12 * 60 + 20, 900);
        view.show();
        QApplication::processEvents();
        canvas = QImage(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        // Visit every position once so that every thumbnail is made.
        for (int row = 0; row < frames; row += 20)
            step(row);
        QScrollBar* const bar = view.verticalScrollBar();
        bar->setValue(0);
    }

    ~Sheet() { Model::KWScene::setCurrentKWScene(nullptr); }

    // Scrolls to the row and paints the whole viewport.
    void step(int row)
    {
        view.verticalScrollBar()->setValue(row * view.rowHeight());
        view.viewport()->render(&canvas);
    }

    Model::KWScene bundle;
    UI::XSheet view;
    QImage canvas;
};

// Emptied by main before the application object goes.
std::map<int, std::unique_ptr<Sheet>> sheets;

Sheet& sheet(int frames)
{
    std::unique_ptr<Sheet>& entry = sheets[frames];
    if (!entry)
        entry = std::make_unique<Sheet>(frames);
    Model::KWScene::setCurrentKWScene(&entry->bundle);
    return *entry;
}

void BM_ScrollStep(benchmark::State& state)
{
    int const frames = int(state.range(0));
    Sheet& s = sheet(frames);
    int row = 0;
    for (auto _ : state) {
        s.step(row);
        row = (row + 1) % (frames - 10);
    }
    state.counters["rows"] = frames;
}

BENCHMARK(BM_ScrollStep)->Arg(ShortScene)->Arg(LongScene)->Unit(benchmark::kMicrosecond);

// Mean time of one step over the whole length of the scene.
double meanStepMicroseconds(int frames, int steps)
{
    Sheet& s = sheet(frames);
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < steps; ++i)
        s.step((i * 37) % (frames - 10));
    return double(timer.nsecsElapsed()) / 1000.0 / steps;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quillmere"));
    QApplication::setApplicationName(QStringLiteral("Quillmere"));
    Model::init();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    int const steps = 400;
    double const baseline = meanStepMicroseconds(ShortScene, steps);
    double const longScene = meanStepMicroseconds(LongScene, steps);
    std::printf("scroll step, %d frames: %.1f us; %d frames: %.1f us; ratio %.2f\n", ShortScene,
                baseline, LongScene, longScene, longScene / baseline);
    std::fflush(stdout);
    sheets.clear();
    return 0;
}
