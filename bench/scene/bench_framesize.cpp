// Changing the frame size of a scene to twice its size, against opening the
// same scene, in the same run: a generated scene of 24 drawings at
// 1920 x 1080 (three stroke layers of eight frames, an original on every
// frame, each drawing 40 pencil strokes of 100 to 300 guide points, see
// BenchRendering::realisticDrawing), saved with its stored coverage and read
// back from memory. The change is the undo command the scene settings push,
// with its progress dialog, and the renderer follows the scene's frame size
// as the main window makes it. Prints the change's time, the median time of
// three openings and their ratio (change / open).
//   DISPLAY=:91 LIBGL_ALWAYS_SOFTWARE=1 QT_QPA_PLATFORM=xcb bench/bench_framesize
#include "BenchRendering.h"

#include "commands/ChangeFrameSize.h"
#include "drawings/StrokeDrawing.h"
#include "files/SceneReader.h"
#include "files/SceneWriter.h"
#include "scene/KWScene.h"
#include "scene/LayerItem.h"
#include "scene/Scene.h"
#include "scene/StrokeLayer.h"
#include "tools/PenTool.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

QSize const FrameSize(1920, 1080);
constexpr int Layers = 3;
constexpr int Frames = 8;
constexpr int Rounds = 3;

QByteArray generatedDocument()
{
    Model::PenTool pen(Model::Tool::Pencil);
    Model::Scene scene;
    BenchRendering::addStrokeLayers(scene, FrameSize, Layers, Frames, [&pen](int l, int f) {
        return BenchRendering::realisticDrawing(&pen, FrameSize, quint32(7000 + l * Frames + f));
    });
    QByteArray document;
    QBuffer buffer(&document);
    buffer.open(QIODevice::WriteOnly);
    Model::SceneWriter(&scene, nullptr).writeFile(&buffer);
    return document;
}

double median(std::vector<double> times)
{
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (!BenchRendering::start(FrameSize))
        return 1;
    QByteArray const document = generatedDocument();
    QWidget window;
    Model::OffscreenRenderer* renderer = Model::OffscreenRenderer::instance();

    // Opening is timed a few times; the change, many times longer, once.
    std::vector<double> opening;
    double change = 0.0;
    for (int round = 0; round < Rounds; ++round) {
        renderer->prepareFor(FrameSize);
        Model::KWScene bundle;
        Model::Scene* scene = bundle.scene();
        QObject::connect(scene, &Model::Scene::frameSizeAboutToChange, scene,
                         [renderer](QSize size) { renderer->prepareFor(size); });

        QElapsedTimer timer;
        timer.start();
        {
            QBuffer buffer;
            buffer.setData(document);
            buffer.open(QIODevice::ReadOnly);
            if (Model::SceneReader(scene, nullptr).read(&buffer) != 0 || scene->numDrawings() != Layers * Frames) {
                std::fprintf(stderr, "reading the scene failed\n");
                return 1;
            }
        }
        opening.push_back(timer.nsecsElapsed() / 1e9);
        if (round + 1 < Rounds)
            continue;

        Commands::ChangeFrameSize command(&bundle, FrameSize * 2, KW::FitMode::FitModeKeepAspect, &window);
        timer.restart();
        command.redo();
        change = timer.nsecsElapsed() / 1e9;
        if (scene->frameSize() != FrameSize * 2) {
            std::fprintf(stderr, "the frame size did not change\n");
            return 1;
        }
    }
    double const open = median(opening);
    std::printf("24 drawings, 1920 x 1080 -> 3840 x 2160: change %8.1f ms   open %7.1f ms   ratio %6.2f\n",
                change * 1e3, open * 1e3, change / open);
    return 0;
}
