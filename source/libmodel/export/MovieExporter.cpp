#include "export/MovieExporter.h"

#include "scene/Scene.h"

#include "audio/AudioLayer.h"
#include "drawings/Drawing.h"
#include "export/ExportFailure.h"
#include "export/ExportImage.h"
#include "export/ExportPlan.h"
#include "export/ScaledDrawings.h"
#include "files/FileSystem.h"
#include "files/FileWriter.h"
#include "media/FfmpegVideoEncoder.h"
#include "media/GIFEncoder.h"
#include "scene/LayerItem.h"
#include "scene/VisualLayer.h"
#include "settings/ExportVideoSettings.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QTimer>

#include <atomic>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

namespace Model {

namespace {

QString targetPath(ExportVideoSettings const& settings)
{
    return QDir(settings.exportDir).filePath(settings.name);
}

// Composites one frame of the listed layers, bottom first, at canvas size,
// and brings it to the export size.
QImage compositeFrame(QList<VisualLayer*> const& layers, int frame, QSize const& canvasSize,
                      QSize const& exportSize, bool transparent)
{
    QImage canvas = ExportImage::canvas(canvasSize, transparent);
    QPainter painter(&canvas);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (VisualLayer const* layer : layers)
        layer->draw(frame, &painter, canvas.rect());
    painter.end();
    if (canvasSize == exportSize)
        return canvas;
    return canvas.scaled(exportSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// As compositeFrame, for layers that belong to the export alone. Each
// drawing is drawn through a copy made for the frame: drawing keeps a
// drawing's pixels unpacked, which over a long export would keep every
// drawing shown unpacked, while a copy shares the packed form and goes with
// its unpacked pixels once the frame is drawn.
QImage compositeCopiedFrame(QList<VisualLayer*> const& layers, int frame, QSize const& canvasSize,
                            QSize const& exportSize, bool transparent)
{
    std::vector<std::pair<std::shared_ptr<LayerItem>, std::shared_ptr<Drawing>>> shown;
    for (VisualLayer const* layer : layers) {
        int const cellFrame = layer->shownFrame(frame);
        std::shared_ptr<LayerItem> const cell = cellFrame > 0 ? layer->layerItem(cellFrame) : nullptr;
        if (cell && cell->drawing) {
            shown.emplace_back(cell, cell->drawing);
            cell->drawing.reset(cell->drawing->clone());
        }
    }
    QImage image = compositeFrame(layers, frame, canvasSize, exportSize, transparent);
    for (auto& [cell, drawing] : shown)
        cell->drawing = std::move(drawing);
    return image;
}

// As compositeFrame, for copies of the layers without drawings, drawn at the
// export size: the cell each layer shows holds its repainted drawing while
// the frame is drawn, and drawings no later frame shows go with it.
QImage compositeScaledFrame(QList<VisualLayer*> const& layers, ScaledDrawings& drawings, int frame,
                            QSize const& exportSize, bool transparent)
{
    std::vector<std::shared_ptr<LayerItem>> filled;
    for (int i = 0; i < layers.size(); ++i) {
        VisualLayer const* layer = layers.at(i);
        std::shared_ptr<LayerItem> const cell = layer->layerItem(layer->shownFrame(frame));
        if (!cell)
            continue;
        cell->drawing = drawings.shown(i, frame);
        filled.push_back(cell);
    }
    QImage image = compositeFrame(layers, frame, exportSize, exportSize, transparent);
    for (std::shared_ptr<LayerItem> const& cell : filled)
        cell->drawing.reset();
    drawings.release(frame);
    return image;
}

// Where the movie goes: the file a symbolic link at the user's name leads
// to, which the export writes through.
QString finalPath(ExportVideoSettings const& settings)
{
    return FileSystem::resolveLinks(targetPath(settings));
}

// The file the movie encoder writes before the movie is whole: beside the
// final file (so that the last rename stays on one file system), ending in
// its name (so that the container is still chosen by the extension), hidden.
// It is made as any new file is, so that the movie the rename turns it into
// may be read by whom the user's file-creation mask allows. Empty when no
// file could be made; reason then says why.
QString createStagingFile(QString const& target, QString* reason)
{
    QFileInfo const destination(target);
    QString staged;
    int handle = -1;
    int error = FileSystem::createUnique(destination.absolutePath(), QStringLiteral(".export-"),
                                         QLatin1Char('-') + destination.fileName(), 0666, &staged,
                                         &handle);
    if (error == 0)
        error = FileSystem::close(handle);
    if (error == 0)
        return staged;
    QFile::remove(staged);
    *reason = FileWriter::systemReason(error);
    return QString();
}

QString failureText(QString const& path)
{
    return QCoreApplication::translate("Model::Scene", "The movie \"%1\" could not be written.")
        .arg(QDir::toNativeSeparators(path));
}

} // namespace

MovieExporter::MovieExporter(Scene& scene, QProgressDialog& progress)
    : m_scene(scene)
    , m_progress(progress)
{
}

void MovieExporter::exportVideo(ExportVideoSettings const& settings)
{
    if (m_scene.numVisualLayers() == 0)
        return;
    ExportVideoSettings copy = settings;
    ExportPlan const plan(m_scene, copy.layers, copy.frames);
    QList<VisualLayer*> const exported = plan.layers();
    int const first = plan.firstFrame();
    int const last = plan.lastFrame();
    QList<std::shared_ptr<Layer>> const all = m_scene.layers();

    int const audioIndex = m_scene.audioLayerIdx();
    auto const* const audio = audioIndex >= 0 && audioIndex < all.size()
        ? qobject_cast<AudioLayer const*>(all.at(audioIndex).get())
        : nullptr;
    if (!audio || !audio->isAudioAvailableInRange(first, last))
        copy.includeAudio = false;

    double const scale = copy.scalePercent / 100.0;
    QSize const size = m_scene.frameSize();
    QSize const exportSize(int(std::round(size.width() * scale)),
                           int(std::round(size.height() * scale)));
    QString const path = targetPath(copy);
    if (ExportFailure::reportMissingFolder(&m_progress, QFileInfo(path).absolutePath()))
        return;
    // What a killed export of this name left behind goes first.
    cleanupExportVideo(copy);
    if (exportSize.width() < 1 || exportSize.height() < 1 || last < first) {
        ExportFailure::report(&m_progress, failureText(path));
        return;
    }

    bool ok = false;
    if (copy.videoFormat == ExportVideoSettings::GIF) {
        m_progress.setMaximum(last - first + 1);
        ok = exportVideoGIF(copy, exportSize, size, exported, first, last);
    } else {
        bool const transparent = copy.videoFormat == ExportVideoSettings::ProRes && copy.includeAlpha;
        ok = exportVideoFfmpeg(copy, exportSize, size, exported, first, last, transparent);
    }

    if (m_progress.wasCanceled()) {
        cleanupExportVideo(copy);
    } else if (!ok) {
        cleanupExportVideo(copy);
        ExportFailure::report(&m_progress, ExportFailure::withReason(failureText(path), m_reason));
    } else {
        m_progress.close();
    }
}

bool MovieExporter::exportVideoGIF(ExportVideoSettings const& settings, QSize const& exportSize,
                                   QSize const& frameSize, QList<VisualLayer*> const& layers,
                                   int firstFrame, int lastFrame)
{
    int const delay = int(std::round(100.0f / float(m_scene.frameRate())));

    // The GIF is made in memory and written whole through a FileWriter, which
    // keeps an earlier file until the new one is complete; a cancel writes
    // nothing.
    GIFEncoder encoder;
    int current = firstFrame;
    std::function<QImage()> const provider = [&] {
        if (m_progress.wasCanceled()) {
            encoder.cancel();
            return QImage();
        }
        if (current > lastFrame)
            return QImage();
        m_progress.setValue(current - firstFrame);
        QImage image = compositeFrame(layers, current, frameSize, exportSize, false);
        ++current;
        return image;
    };
    encoder.setup(provider, targetPath(settings), exportSize.width(), exportSize.height(), delay, 16,
                  exportSize.width() * 4);
    encoder.setFrameRate(m_scene.frameRate());
    bool failed = false;
    QEventLoop loop;
    QObject::connect(&encoder, &GIFEncoder::finished, &loop, &QEventLoop::quit);
    QObject::connect(&encoder, &GIFEncoder::error, &loop, [&] {
        failed = true;
        loop.quit();
    });
    QTimer::singleShot(0, &encoder, &GIFEncoder::start);
    loop.exec();

    if (failed)
        m_reason = encoder.fileErrorString();
    return !failed && !m_progress.wasCanceled();
}

bool MovieExporter::exportVideoFfmpeg(ExportVideoSettings const& settings,
                                      QSize const& exportSize, QSize const& frameSize,
                                      QList<VisualLayer*> const& layers, int firstFrame,
                                      int lastFrame, bool transparent)
{
    bool const enlarging =
        exportSize.width() > frameSize.width() || exportSize.height() > frameSize.height();

    // The frames are drawn on the encoder's thread, from copies of the
    // exported layers that nothing else can reach. The copies share the
    // drawings' stored pixels with the scene (implicitly shared, never
    // written through a copy), so they cost little beside the open scene;
    // the sound is not copied at all. Enlarging exports repaint the drawings
    // at the export size rather than magnifying small frames: their copies
    // have no drawings of their own, but get those of each frame, repainted,
    // while it is drawn.
    std::vector<std::unique_ptr<Layer>> copies;
    QList<VisualLayer*> drawn;
    for (VisualLayer* layer : layers) {
        std::unique_ptr<Layer> copy(enlarging ? layer->cloneWithoutDrawings() : layer->clone());
        auto* const visual = qobject_cast<VisualLayer*>(copy.get());
        if (!visual)
            return false;
        copy->setParent(nullptr);
        if (enlarging)
            visual->changeFrameSize(exportSize, KW::FitMode::FitModeKeepAspect, nullptr);
        drawn << visual;
        copies.push_back(std::move(copy));
    }
    std::unique_ptr<ScaledDrawings> const scaled =
        enlarging ? std::make_unique<ScaledDrawings>(layers, firstFrame, lastFrame, exportSize)
                  : nullptr;

    QString const target = finalPath(settings);
    QString const staged = createStagingFile(target, &m_reason);
    if (staged.isEmpty())
        return false;
    ExportVideoSettings encoderSettings = settings;
    encoderSettings.exportDir = QFileInfo(staged).absolutePath();
    encoderSettings.name = QFileInfo(staged).fileName();

    // The cancel button is read on the GUI thread only; the encoder's thread
    // sees its mirror.
    auto cancelled = std::make_shared<std::atomic<bool>>(m_progress.wasCanceled());
    int current = firstFrame;
    // Drawings are repainted on the GUI thread, which waits in the event loop
    // below while the encoder works; a cancel there stops the repainting.
    QObject* const gui = &m_progress;
    std::function<QImage()> const provider = [&current, lastFrame, cancelled, drawn, frameSize,
                                              exportSize, transparent, gui,
                                              scaled = scaled.get()] {
        if (current > lastFrame || *cancelled)
            return QImage();
        int const frame = current++;
        if (!scaled)
            return compositeCopiedFrame(drawn, frame, frameSize, exportSize, transparent);
        QMetaObject::invokeMethod(
            gui,
            [scaled, frame, cancelled] {
                if (!*cancelled)
                    scaled->prepare(frame);
            },
            Qt::BlockingQueuedConnection);
        if (*cancelled)
            return QImage();
        return compositeScaledFrame(drawn, *scaled, frame, exportSize, transparent);
    };

    FfmpegVideoEncoder encoder(encoderSettings, exportSize, m_scene.frameRate());
    encoder.setNextImageFunctor(provider);
    QBuffer sound;
    if (settings.includeAudio) {
        int const audioIndex = m_scene.audioLayerIdx();
        if (auto const* audio =
                qobject_cast<AudioLayer const*>(m_scene.layer(audioIndex).get())) {
            sound.setData(audio->originalAudioData());
            sound.open(QIODevice::ReadOnly);
            encoder.setAudioInput(&sound, audio->offsetFrames() - (firstFrame - 1),
                                  lastFrame - firstFrame + 1);
        }
    }

    QEventLoop loop;
    bool started = false;
    bool finished = false;
    QObject::connect(&encoder, &FfmpegVideoEncoder::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    QObject::connect(&encoder, &FfmpegVideoEncoder::progress, &m_progress,
                     &QProgressDialog::setValue);
    QObject::connect(&m_progress, &QProgressDialog::canceled, &encoder, [&encoder, cancelled] {
        *cancelled = true;
        encoder.cancel();
    });
    QTimer::singleShot(100, &encoder, [&] {
        m_progress.setMaximum(lastFrame - firstFrame + 1);
        m_progress.setValue(m_progress.minimum());
        if (m_progress.wasCanceled()) {
            *cancelled = true;
            encoder.cancel();
        }
        started = true;
        encoder.start();
    });
    loop.exec();
    // A loop ended from outside (the application quitting ends every loop)
    // leaves the encoder at work, its frame thread perhaps waiting for this
    // one to repaint: the export is cancelled and the encoder waited for
    // here, where the wait can be answered, not in its destructor.
    if (started && !finished) {
        m_progress.cancel();
        while (!finished)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }

    m_reason = encoder.fileErrorString();
    if (!encoder.succeeded() || m_progress.wasCanceled())
        return false;
    return FileWriter::replace(staged, target, &m_reason);
}

void MovieExporter::cleanupExportVideo(ExportVideoSettings const& settings)
{
    // An export writes only its own staging file, never the target, until it
    // has succeeded; what a broken or killed export left of them goes.
    QFileInfo const destination(finalPath(settings));
    FileSystem::removeLeftovers(
        destination.absolutePath(),
        QRegularExpression(QStringLiteral("^\\.export-[A-Za-z0-9]{6}-%1$")
                               .arg(QRegularExpression::escape(destination.fileName()))));
    // A GIF is written as any file is.
    FileWriter::removeLeftovers(destination.filePath());
}

} // namespace Model
