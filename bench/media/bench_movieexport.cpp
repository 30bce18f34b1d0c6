// Movie exports of generated scenes, each step in a fresh process that opens
// the scene file as a user opens a scene, in the same run:
// - Memory of a movie export of a long scene: a 2,000-frame, ten-layer
//   1920 x 1080 scene with a sound track, whose first 48 frames are exported
//   as MP4. Beside it, the copy the export makes of the layers it draws
//   from, and the copy every MP4 and ProRes export used to make instead: the
//   whole scene written to memory, sound included, and read back. Prints the
//   peak memory of each as a multiple of the process's memory with the scene
//   open.
// - An enlarged export of a frame range: a 20-frame, three-layer 1920 x 1080
//   scene (originals, holds and distant clones), its range of 12 frames
//   exported as MP4 at 200 %, beside the export of all its frames at 100 %.
//   Prints both times, their ratio, and the peak memory of each. Beside
//   them, the floor the encoder alone sets: the same frames, composited and
//   scaled beforehand, encoded at the same sizes and counts, and the ratio
//   of those two encodings.
//   DISPLAY=:91 LIBGL_ALWAYS_SOFTWARE=1 QT_QPA_PLATFORM=xcb bench/bench_movieexport
// With BENCH_DIR=folder the generated scenes stay in a new folder there, so
// that one step can be run again on its own (--measure STEP SCENE).
#include "BenchRendering.h"
#include "ProcessMemory.h"

#include "audio/AudioLayer.h"
#include "drawings/StrokeDrawing.h"
#include "files/SceneReader.h"
#include "files/SceneWriter.h"
#include "media/FfmpegVideoEncoder.h"
#include "rendering/OffscreenRenderer.h"
#include "scene/LayerItem.h"
#include "scene/Scene.h"
#include "scene/StrokeLayer.h"
#include "scene/VisualLayer.h"
#include "settings/ExportVideoSettings.h"
#include "strokes/Blending.h"
#include "strokes/SingleStroke.h"
#include "tools/PenTool.h"

#include <QApplication>
#include <QBuffer>
#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QEventLoop>
#include <QHash>
#include <QPainter>
#include <QProcess>
#include <QProgressDialog>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

QSize const FrameSize(1920, 1080);
constexpr int Frames = 2000;
constexpr int Layers = 10;
constexpr int PoolSize = 24;
constexpr int StrokesPerDrawing = 3;
constexpr double Fps = 24.0;

// 16-bit stereo at 44.1 kHz, as long as the scene.
QByteArray soundTrack()
{
    int const rate = 44100;
    int const samples = int(Frames / Fps * rate);
    QByteArray pcm(qsizetype(samples) * 4, Qt::Uninitialized);
    auto* data = reinterpret_cast<qint16*>(pcm.data());
    for (int i = 0; i < samples; ++i)
        data[2 * i] = data[2 * i + 1] = qint16(8000.0 * std::sin(i * 2.0 * M_PI * 440.0 / rate));
    QByteArray wav;
    QDataStream out(&wav, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32(36 + pcm.size());
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(2) << quint32(rate) << quint32(rate * 4) << quint16(4)
        << quint16(16);
    out.writeRawData("data", 4);
    out << quint32(pcm.size());
    out.writeRawData(pcm.constData(), int(pcm.size()));
    return wav;
}

QByteArray documentOf(Model::Scene& scene)
{
    QByteArray document;
    QBuffer buffer(&document);
    buffer.open(QIODevice::WriteOnly);
    Model::SceneWriter(&scene, nullptr).writeFile(&buffer);
    return document;
}

// The document of the generated scene: originals on every other frame,
// copies of a pool of rendered drawings, holds between them.
QByteArray generatedDocument()
{
    QObject owner;
    auto* pen = new Model::PenTool(Model::Tool::Pencil, &owner);
    pen->setSizeRangePercent(1.0, 3.0);
    std::vector<std::shared_ptr<Model::StrokeDrawing>> pool;
    for (int i = 0; i < PoolSize; ++i) {
        auto drawing = std::make_shared<Model::StrokeDrawing>(FrameSize);
        QPointF const centre(300.0 + 60.0 * i, 300.0 + 20.0 * (i % 7));
        for (int s = 0; s < StrokesPerDrawing; ++s)
            drawing->appendStroke(BenchRendering::figureStroke(pen, FrameSize, centre, i * 31 + s));
        pool.push_back(drawing);
    }
    Model::Scene scene;
    scene.setFrameSize(FrameSize, KW::FitMode::FitModeIgnore, nullptr);
    scene.setFrameRate(Fps);
    for (int l = 0; l < Layers; ++l) {
        auto layer = std::make_shared<Model::StrokeLayer>(QColor::fromHsv(l * 36, 200, 160), FrameSize, nullptr);
        auto& cells = layer->frames();
        cells.clear();
        for (int f = 0; f < Frames; ++f) {
            if (f % 2 == 0) {
                std::shared_ptr<Model::Drawing> copy(pool.at((f * 7 + l * 5) % PoolSize)->clone());
                cells.append(std::make_shared<Model::LayerItem>(Model::LayerItem::Original, QUuid::createUuid(), copy));
            } else {
                cells.append(std::make_shared<Model::LayerItem>(cells.last()->drawing));
            }
        }
        scene.addLayer(layer, scene.numLayers());
    }
    auto sound = std::make_shared<Model::AudioLayer>(nullptr);
    sound->setOriginalAudioData(soundTrack());
    scene.addLayer(sound, scene.numLayers());
    scene.setFrameRange(1, 48, 1, 0);

    return documentOf(scene);
}

// The document of the short scene: on each layer an original on every
// other frame, each of many strokes, a hold after it, and on every fifth
// frame a distant clone of a drawing of another layer instead.
QByteArray shortDocument()
{
    constexpr int ShortFrames = 20;
    constexpr int ShortLayers = 3;
    QObject owner;
    auto* pen = new Model::PenTool(Model::Tool::Pencil, &owner);
    pen->setSizeRangePercent(1.0, 3.0);
    Model::Scene scene;
    scene.setFrameSize(FrameSize, KW::FitMode::FitModeIgnore, nullptr);
    scene.setFrameRate(Fps);
    std::vector<std::shared_ptr<Model::StrokeLayer>> layers;
    for (int l = 0; l < ShortLayers; ++l) {
        auto layer = std::make_shared<Model::StrokeLayer>(QColor::fromHsv(l * 100, 200, 160), FrameSize, nullptr);
        auto& cells = layer->frames();
        cells.clear();
        for (int f = 0; f < ShortFrames; ++f) {
            if (f % 5 == 4 && l > 0) {
                std::shared_ptr<Model::LayerItem> const original = layers.at(size_t(l - 1))->frames().at(f - 4);
                auto clone = std::make_shared<Model::LayerItem>(Model::LayerItem::DistantClone, QUuid::createUuid(),
                                                                original->drawing);
                clone->original = original->reference(layers.at(size_t(l - 1))->identifier());
                original->clones.append(clone->reference(layer->identifier()));
                cells.append(clone);
            } else if (f % 2 == 0) {
                auto drawing = std::make_shared<Model::StrokeDrawing>(FrameSize);
                for (int s = 0; s < 12; ++s) {
                    QPointF const centre(250.0 + 110.0 * s + 17.0 * f, 250.0 + 45.0 * ((s + l) % 13));
                    drawing->appendStroke(BenchRendering::figureStroke(pen, FrameSize, centre, f * 37 + l * 11 + s));
                }
                cells.append(std::make_shared<Model::LayerItem>(Model::LayerItem::Original, QUuid::createUuid(),
                                                                drawing));
            } else {
                cells.append(std::make_shared<Model::LayerItem>(cells.last()->drawing));
            }
        }
        scene.addLayer(layer, scene.numLayers());
        layers.push_back(layer);
    }
    scene.fixupReferences();
    scene.setFrameRange(5, 16, 5, 0);

    return documentOf(scene);
}

bool readInto(Model::Scene* scene, QByteArray const& document)
{
    QByteArray shared = document;
    QBuffer buffer(&shared);
    buffer.open(QIODevice::ReadOnly);
    return Model::SceneReader(scene, nullptr).read(&buffer) == 0;
}

} // namespace

// In a fresh process: opens the scene file, then makes the copy the export
// used to make ("copy") or exports ("export"). Prints the process's memory
// with the scene open and its peak while working, in bytes, and the seconds.
int measure(QString const& what, QString const& path)
{
    Model::Scene scene;
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) || !readInto(&scene, file.readAll()))
            return 1;
    }
    qint64 const open = ProcessMemory::resident();
    ProcessMemory::resetPeak();
    QElapsedTimer timer;
    timer.start();
    if (what == QLatin1String("layers")) {
        std::vector<std::unique_ptr<Model::Layer>> copies;
        for (auto const& layer : scene.layers())
            copies.emplace_back(layer->clone());
    } else if (what == QLatin1String("copy")) {
        Model::Scene snapshot;
        if (!readInto(&snapshot, documentOf(scene)))
            return 1;
    } else if (what.startsWith(QLatin1String("encode-"))) {
        // "encode-200-range" or "encode-100-all": the frames made first, so
        // that only their encoding is timed.
        QStringList const words = what.split(QLatin1Char('-'));
        bool const all = words.value(2) == QLatin1String("all");
        QSize const size = FrameSize * words.value(1).toInt() / 100;
        int const first = all ? 1 : scene.minimumFrameRangeNumber();
        int const last = all ? scene.maximumFrameNumber() : scene.maximumFrameRangeNumber();
        std::vector<QImage> frames;
        for (int frame = first; frame <= last; ++frame) {
            QImage canvas(FrameSize, QImage::Format_ARGB32_Premultiplied);
            canvas.fill(Qt::white);
            QPainter painter(&canvas);
            for (auto const& layer : scene.layers())
                if (auto const* visual = qobject_cast<Model::VisualLayer const*>(layer.get()))
                    visual->draw(frame, &painter, canvas.rect());
            painter.end();
            frames.push_back(canvas.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        }
        QTemporaryDir dir;
        Model::ExportVideoSettings settings;
        settings.videoFormat = Model::ExportVideoSettings::MP4;
        settings.exportDir = dir.path();
        settings.name = QStringLiteral("clip.mp4");
        timer.restart();
        FfmpegVideoEncoder encoder(settings, size, scene.frameRate());
        size_t next = 0;
        encoder.setNextImageFunctor([&frames, &next] { return next < frames.size() ? frames[next++] : QImage(); });
        QEventLoop loop;
        QObject::connect(&encoder, &FfmpegVideoEncoder::finished, &loop, &QEventLoop::quit);
        QMetaObject::invokeMethod(&encoder, &FfmpegVideoEncoder::start, Qt::QueuedConnection);
        loop.exec();
        if (!encoder.succeeded())
            return 1;
    } else {
        // "export", "export-200-range" or "export-100-all".
        QStringList const words = what.split(QLatin1Char('-'));
        QTemporaryDir dir;
        Model::ExportVideoSettings settings;
        settings.videoFormat = Model::ExportVideoSettings::MP4;
        settings.exportDir = dir.path();
        settings.name = QStringLiteral("clip.mp4");
        settings.scalePercent = words.size() == 3 ? words.at(1).toInt() : 100;
        settings.frames = words.value(2) == QLatin1String("all") ? Model::ExportVideoSettings::AllFrames
                                                                 : Model::ExportVideoSettings::RangeOnly;
        settings.layers = Model::ExportVideoSettings::AllLayers;
        settings.includeAudio = true;
        settings.includeAlpha = false;
        {
            QProgressDialog progress;
            scene.exportVideo(settings, progress);
        }
        if (!QFile::exists(dir.filePath(settings.name)))
            return 1;
    }
    std::printf("%lld %lld %.3f\n", open, ProcessMemory::peak(), timer.nsecsElapsed() / 1e9);
    return 0;
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (!BenchRendering::start(FrameSize))
        return 1;
    QStringList const arguments = QApplication::arguments();
    if (arguments.size() == 4 && arguments.at(1) == QLatin1String("--measure"))
        return measure(arguments.at(2), arguments.at(3));

    std::printf("generating the scenes...\n");
    std::fflush(stdout);
    QTemporaryDir dir(qEnvironmentVariable("BENCH_DIR", QDir::tempPath()) + QStringLiteral("/bench-XXXXXX"));
    dir.setAutoRemove(qEnvironmentVariableIsEmpty("BENCH_DIR"));
    QString const path = dir.filePath(QStringLiteral("long.kw"));
    QString const shortPath = dir.filePath(QStringLiteral("short.kw"));
    for (auto const& [file, document] : {std::pair(path, generatedDocument()), std::pair(shortPath, shortDocument())}) {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(document) != document.size())
            return 1;
        std::printf("%s: file of %.1f MB\n", qPrintable(QFileInfo(file).fileName()), document.size() / 1e6);
    }

    struct Measure
    {
        QString what;
        QString scene;
        char const* label;
    };
    Measure const measures[] = {
        {QStringLiteral("copy"), path, "long scene, before: copy by writing the scene and reading it back"},
        {QStringLiteral("layers"), path, "long scene, after: copy of the layers"},
        {QStringLiteral("export"), path, "long scene, MP4 export of 48 frames, copy and encoding"},
        {QStringLiteral("export-100-all"), shortPath, "short scene, MP4 at 100 % of all 20 frames"},
        {QStringLiteral("export-200-range"), shortPath, "short scene, MP4 at 200 % of the 12 frames of its range"},
        {QStringLiteral("encode-100-all"), shortPath, "floor: encoding alone of the 20 frames at 100 %, made beforehand"},
        {QStringLiteral("encode-200-range"), shortPath, "floor: encoding alone of the 12 frames at 200 %, made beforehand"},
    };
    QHash<QString, double> seconds;
    for (auto const& [what, scene, label] : measures) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QApplication::applicationFilePath(), {QStringLiteral("--measure"), what, scene});
        if (!child.waitForFinished(-1) || child.exitCode() != 0) {
            std::fprintf(stderr, "measuring the %s failed\n", qPrintable(what));
            return 1;
        }
        QList<QByteArray> const figures = child.readAllStandardOutput().trimmed().split('\n').last().split(' ');
        double const open = figures.value(0).toDouble();
        double const peak = figures.value(1).toDouble();
        seconds.insert(what, figures.value(2).toDouble());
        std::printf("%s: %.2f s; open scene %.1f MB, peak %.1f MB = %.2fx the open scene\n", label,
                    figures.value(2).toDouble(), open / 1e6, peak / 1e6, peak / open);
    }
    std::printf("200 %% of the range against 100 %% of all frames: %.2fx the time\n",
                seconds.value(QStringLiteral("export-200-range")) / seconds.value(QStringLiteral("export-100-all")));
    std::printf("the encoder alone, the same sizes and counts: %.2fx the time\n",
                seconds.value(QStringLiteral("encode-200-range")) / seconds.value(QStringLiteral("encode-100-all")));
    return 0;
}
