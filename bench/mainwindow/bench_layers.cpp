// Opening a scene of many empty stroke layers (one frame each) in the real
// main window, through File > Open's route: the time to read the file, and
// the time until the window has laid out and painted the opened scene once
// (sheet, header, footer, gizmos, timeline). Each size is also opened at half
// its layer count in the same run; opening is linear in the layers when the
// ratio of the two is near 2 (quadratic: near 4).
//
// Sizes as arguments (default 2500 5000 10000).
#include "mainwindow/MainWindow.h"

#include "BenchWindow.h"

#include "audio/AudioLayer.h"
#include "files/SceneReader.h"
#include "files/SceneWriter.h"
#include "scene/AnnotationLayer.h"
#include "scene/Scene.h"
#include "scene/StrokeLayer.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <vector>

namespace {

QSize const FrameSize(640, 360);

QByteArray sceneWithLayers(int layers)
{
    Model::Scene scene;
    scene.setFrameSize(FrameSize, KW::FitMode::FitModeIgnore, nullptr);
    for (int l = 0; l < layers; ++l) {
        auto layer = std::make_shared<Model::StrokeLayer>(QColor::fromHsv(l % 360, 200, 160), FrameSize, nullptr);
        layer->setName(QStringLiteral("Layer %1").arg(l + 1));
        scene.addLayer(layer, scene.numLayers());
    }
    scene.addLayer(std::make_shared<Model::AudioLayer>(nullptr), scene.numLayers());
    scene.addLayer(std::make_shared<Model::AnnotationLayer>(nullptr), scene.numLayers());
    QByteArray document;
    QBuffer buffer(&document);
    buffer.open(QIODevice::WriteOnly);
    Model::SceneWriter(&scene, nullptr).writeFile(&buffer);
    return document;
}

long residentKilobytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (QByteArray const& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return 0;
}

struct Figures
{
    double readMs = 0.0;
    double openMs = 0.0;
    double residentMB = 0.0;
};

Figures open(MainWindow& window, QString const& path, QByteArray const& document)
{
    Figures f;
    {
        QBuffer buffer;
        buffer.setData(document);
        buffer.open(QIODevice::ReadOnly);
        Model::Scene scene;
        QElapsedTimer timer;
        timer.start();
        Model::SceneReader(&scene, nullptr).read(&buffer);
        f.readMs = timer.nsecsElapsed() / 1e6;
    }
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(document);
    file.close();
    long const before = residentKilobytes();
    QElapsedTimer timer;
    timer.start();
    if (!window.openFile(path))
        std::fprintf(stderr, "opening failed\n");
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    window.grab();
    f.openMs = timer.nsecsElapsed() / 1e6;
    f.residentMB = (residentKilobytes() - before) / 1024.0;
    // Back to a small scene, so that the next size starts from the same state.
    window.newScene(MainWindow::NewSceneWithoutAsking);
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    return f;
}

} // namespace

int main(int argc, char** argv)
{
    BenchWindow::choosePlatform();
    QApplication app(argc, argv);
    if (!BenchWindow::start(FrameSize))
        return 1;
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(QByteArray(argv[i]).toInt());
    if (sizes.empty())
        sizes = {2500, 5000, 10000};

    QTemporaryDir dir;
    QString const path = dir.filePath(QStringLiteral("layers.kw"));
    MainWindow window;
    window.resize(1600, 1000);
    window.newSceneIfNoneOpen();
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        std::fprintf(stderr, "the window was not shown\n");

    for (int layers : sizes) {
        Figures const half = open(window, path, sceneWithLayers(layers / 2));
        Figures const whole = open(window, path, sceneWithLayers(layers));
        std::printf("%6d layers: read %8.1f ms (%.2f x %d layers), opened and shown %9.1f ms (%.2f x %d layers), "
                    "resident +%.0f MB\n",
                    layers, whole.readMs, whole.readMs / half.readMs, layers / 2, whole.openMs,
                    whole.openMs / half.openMs, layers / 2, whole.residentMB);
        std::fflush(stdout);
    }
    Model::shutdown();
    UI::shutdown();
    return 0;
}
