#include "export/ExposureSheetExporter.h"

#include "audio/AudioLayer.h"
#include "export/ExportFailure.h"
#include "files/FileWriter.h"
#include "files/PackageWriter.h"
#include "scene/LayerItem.h"
#include "scene/Scene.h"
#include "scene/StrokeLayer.h"
#include "scene/VisualLayer.h"
#include "settings/Settings.h"
#include "settings/TransparencyColor.h"
#include "startup/Init.h"

#include <QColor>
#include <QDebug>
#include <QFileInfo>
#include <QJsonDocument>
#include <QPainter>
#include <QProgressDialog>
#include <QScopeGuard>

namespace Model {

namespace {

QString const PackageExtension = QStringLiteral(".oca");

} // namespace

ExposureSheetExporter::ExposureSheetExporter(Scene const& scene,
                                             ExportExposureSheetSettings const& settings,
                                             QProgressDialog& progress)
    : m_scene(scene)
    , m_settings(settings)
    , m_progress(progress)
    , m_packageName(settings.name.endsWith(PackageExtension, Qt::CaseInsensitive)
                        ? settings.name
                        : settings.name + PackageExtension)
    , m_plan(scene, settings.layers, settings.frames, {m_packageName})
    , m_format(settings.imageFormat == ExportExposureSheetSettings::OpenEXR ? ExportImage::OpenEXR
                                                                            : ExportImage::PNG)
    , m_exportDir(settings.exportDir)
    , m_centre({scene.frameWidth() / 2, scene.frameHeight() / 2})
{
    // The package holds no sound: the option only matters with an audio layer.
    if (!qobject_cast<AudioLayer const*>(scene.layer(scene.audioLayerIdx()).get()))
        m_settings.includeAudio = false;
}

void ExposureSheetExporter::run()
{
    if (m_scene.numVisualLayers() == 0 || !ExportImage::isWritable(m_format))
        return;
    QString const baseName = m_packageName.chopped(PackageExtension.size());
    if (!ExportPlan::isUsableBaseName(baseName)) {
        ExportFailure::report(&m_progress,
                              tr("\"%1\" cannot name the package: the name must not be empty "
                                 "or contain a path separator.")
                                  .arg(m_settings.name));
        return;
    }

    int total = 0;
    for (VisualLayer const* layer : m_plan.layers())
        total += int(exposuresOf(*layer).size());
    m_progress.setMaximum(std::max(total, 1));

    if (ExportFailure::reportMissingFolder(&m_progress, m_exportDir.path()))
        return;

    PackageWriter package(m_exportDir.filePath(m_packageName));
    if (!package.open()) {
        QString const message =
            tr("The directory \"%1\" could not be created.").arg(finalPath(QString()));
        ExportFailure::report(&m_progress,
                              ExportFailure::withReason(message, package.errorString()));
        return;
    }
    QDir const built(package.buildPath());

    // Gone before the package, whose unfinished build it writes into.
    m_queue = std::make_unique<ImageWriteQueue>(m_format, m_scene.frameSize(), [this](int) {
        return !m_progress.wasCanceled();
    });
    auto const dropQueue = qScopeGuard([this] { m_queue.reset(); });
    QJsonArray layers;
    if (!buildLayers(package, layers))
        return;
    if (!m_queue->finish()) {
        reportFailure(built);
        return;
    }

    QJsonObject document = documentHeader();
    document.insert(QStringLiteral("layers"), layers);
    QString reason;
    if (!FileWriter::writeFile(built.filePath(m_packageName),
                               QJsonDocument(document).toJson(QJsonDocument::Indented), &reason)) {
        ExportFailure::report(&m_progress, ExportFailure::withReason(
                                               tr("The .oca file could not be created."), reason));
        return;
    }
    if (!package.commit()) {
        QFileInfo const existing(package.target());
        QString message = tr("The directory \"%1\" could not be created.")
                              .arg(existing.absoluteFilePath());
        if (package.failure() == PackageWriter::Failure::MoveAside)
            message = (existing.isDir() && !existing.isSymLink()
                           ? tr("The existing directory \"%1\" couldn't be removed.")
                           : tr("The existing file \"%1\" couldn't be removed."))
                          .arg(existing.absoluteFilePath());
        else if (package.failure() == PackageWriter::Failure::Sync)
            message = tr("The directory \"%1\" was written, but may not survive a power cut.")
                          .arg(existing.absoluteFilePath());
        else if (package.failure() == PackageWriter::Failure::MoveBack)
            message = tr("The directory \"%1\" could not be created, and the existing one could "
                         "not be put back: it is now \"%2\".")
                          .arg(existing.absoluteFilePath(),
                               QDir::toNativeSeparators(package.leftoverPath()));
        ExportFailure::report(&m_progress,
                              ExportFailure::withReason(message, package.errorString()));
        return;
    }
    if (!package.leftoverPath().isEmpty())
        qWarning() << "Export Exposure Sheet: the replaced package stays at"
                   << package.leftoverPath();
}

bool ExposureSheetExporter::buildLayers(PackageWriter& writer, QJsonArray& layers)
{
    QDir const package(writer.buildPath());
    for (VisualLayer const* layer : m_plan.layers()) {
        QString const folder = m_plan.fileName(layer);
        if (!writer.makeFolder(folder)) {
            QString const message =
                tr("The directory \"%1\" could not be created.").arg(finalPath(folder));
            ExportFailure::report(&m_progress,
                                  ExportFailure::withReason(message, writer.errorString()));
            return false;
        }
        QJsonArray frames;
        for (Exposure const& exposure : exposuresOf(*layer)) {
            QJsonObject object;
            if (!buildExposure(package, *layer, exposure, object))
                return false;
            frames.append(object);
            if (m_progress.wasCanceled())
                return false;
            m_progress.setValue(++m_step);
        }
        QJsonObject object = layerHeader(*layer);
        object.insert(QStringLiteral("frames"), frames);
        layers.append(object);
    }
    return true;
}

QList<ExposureSheetExporter::Exposure> ExposureSheetExporter::exposuresOf(
    VisualLayer const& layer) const
{
    // A drawing shows from its own frame until the next drawing starts, the
    // span ends or, past the end of a layer that shows nothing there, the
    // layer stops showing. Holds past the end (a frozen last drawing, a held
    // drawing of a cycle) extend the drawing like holds inside the layer.
    QList<Exposure> exposures;
    for (int frame = m_plan.firstFrame(); frame <= m_plan.lastFrame(); ++frame) {
        int const type = layer.drawingTypeBeyond(frame);
        if (frame == m_plan.firstFrame()) {
            exposures.append({frame, 1});
        } else if (type == LayerItem::Hold) {
            ++exposures.last().duration;
        } else if (type == LayerItem::NoDrawing) {
            break;
        } else {
            exposures.append({frame, 1});
        }
    }
    return exposures;
}

bool ExposureSheetExporter::buildExposure(QDir const& package, VisualLayer const& layer,
                                          Exposure const& exposure, QJsonObject& object)
{
    int const frame = exposure.frame;
    QString name = exposureName(layer, frame);
    QString fileName;
    if (layer.isOriginalFrame(frame)) {
        fileName = imagePath(layer, frame);
        if (!render(package, layer, frame, fileName))
            return false;
    } else {
        int const index = m_scene.lookupLayerIdx(layer.identifier());
        DrawingRef const ref = m_scene.lookupOriginalRefBeyond(index, frame);
        int originalIndex = -1;
        int originalFrame = 0;
        auto const* holder = m_scene.lookupLayerItem(ref, &originalIndex, &originalFrame)
                                 ? qobject_cast<VisualLayer const*>(
                                     m_scene.layer(originalIndex).get())
                                 : nullptr;
        if (!holder) {
            name = QStringLiteral("_blank");
        } else if (!drawAlike(layer, *holder)) {
            // The clone's layer shows the drawing in its own colour and look,
            // which the original's image would not.
            fileName = imagePath(layer, frame);
            if (!render(package, layer, frame, fileName))
                return false;
        } else if (originalFrame >= m_plan.firstFrame() && originalFrame <= m_plan.lastFrame()
                   && m_plan.contains(holder)) {
            // Written when the original's own exposure is reached.
            fileName = imagePath(*holder, originalFrame);
        } else if (m_renderedOriginals.contains(ref)) {
            fileName = m_renderedOriginals.value(ref);
        } else {
            fileName = imagePath(layer, frame);
            if (!render(package, *holder, originalFrame, fileName))
                return false;
            m_renderedOriginals.insert(ref, fileName);
        }
    }

    object.insert(QStringLiteral("name"), name);
    object.insert(QStringLiteral("fileName"), fileName);
    object.insert(QStringLiteral("frameNumber"), frame - 1);
    object.insert(QStringLiteral("duration"), exposure.duration);
    object.insert(QStringLiteral("opacity"), 1.0);
    object.insert(QStringLiteral("position"), m_centre);
    return true;
}

bool ExposureSheetExporter::drawAlike(VisualLayer const& one, VisualLayer const& other)
{
    if (one.type() != other.type())
        return false;
    auto const* const strokes = qobject_cast<StrokeLayer const*>(&one);
    auto const* const otherStrokes = qobject_cast<StrokeLayer const*>(&other);
    return !strokes || !otherStrokes || strokes->colorTable() == otherStrokes->colorTable();
}

bool ExposureSheetExporter::render(QDir const& package, VisualLayer const& layer, int frame,
                                   QString const& relativePath)
{
    // At full strength: the document carries the layer's opacity, and readers
    // apply it.
    QImage image = ExportImage::canvas(m_scene.frameSize(), true);
    {
        QPainter painter(&image);
        ExportImage::paintLayer(painter, layer, frame, image.rect(), 1.0, false);
    }
    if (m_queue->add(image, package.filePath(relativePath), 0))
        return true;
    reportFailure(package);
    return false;
}

void ExposureSheetExporter::reportFailure(QDir const& package)
{
    // Nothing to tell when the user stopped the export.
    if (!m_queue->failed())
        return;
    QString const relativePath = package.relativeFilePath(m_queue->failedPath());
    ExportFailure::report(&m_progress, tr("Cannot write file %1:\n%2.")
                                           .arg(QDir::toNativeSeparators(finalPath(relativePath)),
                                                m_queue->errorString()));
}

QJsonObject ExposureSheetExporter::documentHeader() const
{
    QColor const background = transparencyColor(Settings::instance()->transparencyType());
    QJsonObject document;
    document.insert(QStringLiteral("name"), m_scene.name());
    document.insert(QStringLiteral("frameRate"), m_scene.frameRate());
    document.insert(QStringLiteral("width"), m_scene.frameWidth());
    document.insert(QStringLiteral("height"), m_scene.frameHeight());
    document.insert(QStringLiteral("startTime"), m_plan.firstFrame() - 1);
    document.insert(QStringLiteral("endTime"), m_plan.lastFrame());
    document.insert(QStringLiteral("colorDepth"), QStringLiteral("U8"));
    document.insert(QStringLiteral("backgroundColor"),
                    QJsonArray({double(background.redF()), double(background.greenF()),
                                double(background.blueF()), double(background.alphaF())}));
    document.insert(QStringLiteral("ocaVersion"), QStringLiteral("1.1.0"));
    document.insert(QStringLiteral("originApp"), QCoreApplication::applicationName());
    document.insert(QStringLiteral("originAppVersion"), version());
    return document;
}

QJsonObject ExposureSheetExporter::layerHeader(VisualLayer const& layer) const
{
    QJsonObject object;
    object.insert(QStringLiteral("name"), layer.name());
    object.insert(QStringLiteral("type"), QStringLiteral("paintlayer"));
    object.insert(QStringLiteral("fileType"), ExportImage::extension(m_format));
    object.insert(QStringLiteral("animated"), true);
    object.insert(QStringLiteral("label"), 0);
    object.insert(QStringLiteral("reference"), false);
    object.insert(QStringLiteral("passThrough"), false);
    object.insert(QStringLiteral("blendingMode"), QStringLiteral("normal"));
    object.insert(QStringLiteral("inheritAlpha"), false);
    object.insert(QStringLiteral("childLayers"), QJsonArray());
    object.insert(QStringLiteral("opacity"), layer.opacity());
    object.insert(QStringLiteral("visible"), layer.isVisible());
    object.insert(QStringLiteral("width"), m_scene.frameWidth());
    object.insert(QStringLiteral("height"), m_scene.frameHeight());
    object.insert(QStringLiteral("position"), m_centre);
    return object;
}

QString ExposureSheetExporter::exposureName(VisualLayer const& layer, int frame) const
{
    return QStringLiteral("%1_%2").arg(m_plan.fileName(&layer)).arg(frame - 1, 5, 10,
                                                                      QLatin1Char('0'));
}

QString ExposureSheetExporter::imagePath(VisualLayer const& layer, int frame) const
{
    return QStringLiteral("%1/%2.%3")
        .arg(m_plan.fileName(&layer), exposureName(layer, frame), ExportImage::extension(m_format));
}

QString ExposureSheetExporter::finalPath(QString const& relativePath) const
{
    QString const package = QFileInfo(m_exportDir.filePath(m_packageName)).absoluteFilePath();
    return relativePath.isEmpty() ? package : QDir(package).filePath(relativePath);
}

} // namespace Model
