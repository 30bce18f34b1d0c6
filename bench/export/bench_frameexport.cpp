// Frame and package exports of a generated scene of 96 frames on three stroke
// layers at 1280 x 720 (an original on every frame), beside the ffmpeg
// command-line tool doing the same encoding of the same pictures on all
// cores, in the same run: the tool reads the PNG frames our export wrote and
// encodes them again as PNG, or as uncompressed half-float OpenEXR for the
// OpenEXR export; for the package it reads the package's PNG images. Our PNG
// files choose a filter for each row, as the tool's "-pred mixed" does (its
// default filters no row, which is a cheaper and different encoding). Prints
// both times and their ratio (ours / the tool's; below 1.0 is faster).
//   DISPLAY=:91 LIBGL_ALWAYS_SOFTWARE=1 QT_QPA_PLATFORM=xcb bench/bench_frameexport
#include "BenchRendering.h"

#include "drawings/StrokeDrawing.h"
#include "scene/LayerItem.h"
#include "scene/Scene.h"
#include "scene/StrokeLayer.h"
#include "settings/ExportExposureSheetSettings.h"
#include "settings/ExportFramesSettings.h"
#include "tools/PenTool.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QProcess>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

QSize const FrameSize(1280, 720);
constexpr int Frames = 96;
constexpr int Layers = 3;
constexpr int PoolSize = 24;
constexpr int StrokesPerDrawing = 6;

void generate(Model::Scene& scene)
{
    static QObject owner;
    auto* pen = new Model::PenTool(Model::Tool::Marker, &owner);
    pen->setSizeRangePercent(5.0, 15.0);
    std::vector<std::shared_ptr<Model::StrokeDrawing>> pool;
    for (int i = 0; i < PoolSize; ++i) {
        auto drawing = std::make_shared<Model::StrokeDrawing>(FrameSize);
        QPointF const centre(250.0 + 35.0 * i, 250.0 + 20.0 * (i % 7));
        for (int s = 0; s < StrokesPerDrawing; ++s)
            drawing->appendStroke(BenchRendering::figureStroke(pen, FrameSize, centre, i * 31 + s));
        // Drawn, as a drawing the user made or opened is: its copies share
        // the rendered pixels, and no export pays for the first rendering.
        drawing->updateDrawbuffer();
        pool.push_back(drawing);
    }
    BenchRendering::addStrokeLayers(scene, FrameSize, Layers, Frames, [&pool](int l, int f) {
        return std::shared_ptr<Model::Drawing>(pool.at((f * 7 + l * 5) % PoolSize)->clone());
    });
}

template <typename Work>
double seconds(Work&& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e9;
}

// The tool's time for its arguments; negative when it failed.
double toolSeconds(QString const& tool, QStringList const& arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    double const time = seconds([&] {
        process.start(tool, arguments);
        process.waitForFinished(-1);
    });
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0 ? time : -1.0;
}

int countFiles(QString const& dir, QString const& suffix)
{
    int count = 0;
    QDirIterator it(dir, {QStringLiteral("*.") + suffix}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        ++count;
    }
    return count;
}

void report(char const* what, int files, double ours, double tool)
{
    std::printf("%-34s %3d files: ours %6.2f s, ffmpeg %6.2f s, ratio %.2f\n", what, files, ours, tool,
                tool > 0 ? ours / tool : 0.0);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (!BenchRendering::start(FrameSize))
        return 1;
    QString const tool = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (tool.isEmpty()) {
        std::fprintf(stderr, "ffmpeg is not on the path\n");
        return 1;
    }
    std::printf("generating the scene...\n");
    std::fflush(stdout);
    Model::Scene scene;
    generate(scene);
    QString const threads = QString::number(QThread::idealThreadCount());
    QStringList const quiet{QStringLiteral("-hide_banner"), QStringLiteral("-v"), QStringLiteral("error"),
                            QStringLiteral("-y")};

    // PNG frames, then the tool encoding them again.
    QTemporaryDir dir;
    QString const frames = dir.filePath(QStringLiteral("frames"));
    QString const again = dir.filePath(QStringLiteral("again"));
    QDir().mkpath(frames);
    QDir().mkpath(again);
    Model::ExportFramesSettings settings;
    settings.name = QStringLiteral("f");
    settings.exportDir = frames;
    settings.combineLayers = true;
    settings.includeAlpha = true;
    double const png = seconds([&] {
        QProgressDialog progress;
        scene.exportFrames(settings, progress);
    });
    int const pngFiles = countFiles(frames, QStringLiteral("png"));
    QString const input = QDir(frames).filePath(QStringLiteral("f.%04d.png"));
    QStringList const perRowFilters{QStringLiteral("-pred"), QStringLiteral("mixed")};
    double const pngTool =
        toolSeconds(tool, quiet + QStringList{QStringLiteral("-i"), input, QStringLiteral("-threads"), threads}
                              + perRowFilters + QStringList{QDir(again).filePath(QStringLiteral("%04d.png"))});
    report("PNG frames", pngFiles, png, pngTool);

    // OpenEXR frames: uncompressed half floats, as ours are.
    QString const exr = dir.filePath(QStringLiteral("exr"));
    QDir().mkpath(exr);
    settings.exportDir = exr;
    settings.imageFormat = Model::ExportFramesSettings::OpenEXR;
    double const exrOurs = seconds([&] {
        QProgressDialog progress;
        scene.exportFrames(settings, progress);
    });
    double const exrTool = toolSeconds(
        tool, quiet + QStringList{QStringLiteral("-i"), input, QStringLiteral("-threads"), threads,
                                  QStringLiteral("-pix_fmt"), QStringLiteral("gbrapf32le"), QStringLiteral("-c:v"),
                                  QStringLiteral("exr"), QStringLiteral("-compression"), QStringLiteral("none"),
                                  QStringLiteral("-format"), QStringLiteral("half"),
                                  QDir(again).filePath(QStringLiteral("%04d.exr"))});
    report("OpenEXR frames", countFiles(exr, QStringLiteral("exr")), exrOurs, exrTool);

    // The package: one PNG per drawing and layer.
    QString const package = dir.filePath(QStringLiteral("package"));
    QDir().mkpath(package);
    Model::ExportExposureSheetSettings sheet;
    sheet.name = QStringLiteral("p");
    sheet.exportDir = package;
    double const oca = seconds([&] {
        QProgressDialog progress;
        scene.exportExposureSheet(sheet, progress);
    });
    double const ocaTool = toolSeconds(
        tool, quiet + QStringList{QStringLiteral("-pattern_type"), QStringLiteral("glob"), QStringLiteral("-i"),
                                  QDir(package).filePath(QStringLiteral("*/*/*.png")), QStringLiteral("-threads"), threads}
                  + perRowFilters + QStringList{QDir(again).filePath(QStringLiteral("p%04d.png"))});
    report("Open Cel Animation package", countFiles(package, QStringLiteral("png")), oca, ocaTool);
    return 0;
}
