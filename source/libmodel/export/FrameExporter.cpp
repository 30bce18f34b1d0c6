#include "export/FrameExporter.h"

#include "export/ExportFailure.h"
#include "files/FileSystem.h"
#include "scene/LayerItem.h"
#include "scene/Scene.h"
#include "scene/VisualLayer.h"

#include <QDebug>
#include <QDir>
#include <QPainter>
#include <QProgressDialog>
#include <QRegularExpression>

namespace Model {

FrameExporter::FrameExporter(Scene const& scene, ExportFramesSettings const& settings,
                             QProgressDialog& progress)
    : m_scene(scene)
    , m_settings(settings)
    , m_progress(progress)
    , m_plan(scene, settings.layers, settings.frames)
    , m_format(settings.imageFormat == ExportFramesSettings::OpenEXR ? ExportImage::OpenEXR
                                                                     : ExportImage::PNG)
    , m_holdSuffix(QLatin1Char('.') + tr("hold", "export"))
    , m_cloneSuffix(QLatin1Char('.') + tr("clone.%1.%2", "export (layerName.frame)"))
    , m_queue(m_format, scene.frameSize(), [this](int step) {
        // The bar follows the files in place, not the frames composited.
        if (step > m_progress.value())
            m_progress.setValue(step);
        return !m_progress.wasCanceled();
    })
{
}

void FrameExporter::run()
{
    if (m_scene.numVisualLayers() == 0 || !ExportImage::isWritable(m_format))
        return;
    if (!ExportPlan::isUsableBaseName(m_settings.name)) {
        ExportFailure::report(&m_progress,
                              tr("\"%1\" cannot name the exported files: the name must not be "
                                 "empty or contain a path separator.")
                                  .arg(m_settings.name));
        return;
    }
    if (ExportFailure::reportMissingFolder(&m_progress, m_settings.exportDir))
        return;
    // What a killed export of this series left of its files goes first.
    FileSystem::removePartials(m_settings.exportDir,
                               QStringLiteral("%1\\..+\\.%2")
                                   .arg(QRegularExpression::escape(m_settings.name),
                                        ExportImage::extension(m_format)));

    m_progress.setMaximum(m_plan.frameCount());
    int step = 1;
    for (int frame = m_plan.firstFrame(); frame <= m_plan.lastFrame(); ++frame, ++step) {
        if (m_progress.wasCanceled())
            return;
        bool const queued = m_settings.combineLayers ? writeCombinedFrame(frame, step)
                                                     : writeLayerFrames(frame, step);
        if (!queued)
            return;
    }
    if (!m_queue.finish()) {
        reportFailure();
        return;
    }
    m_progress.setValue(m_plan.frameCount());
}

bool FrameExporter::writeCombinedFrame(int frame, int step)
{
    QString suffix;
    if (isRepeatFrame(frame)) {
        switch (m_settings.clones) {
        case ExportFramesSettings::ExcludeClones:
            return true;
        case ExportFramesSettings::IncludeClones:
            suffix = m_holdSuffix;
            break;
        case ExportFramesSettings::IncludeClonesSimpleSequence:
            break;
        }
    }

    QImage canvas = ExportImage::canvas(m_scene.frameSize(), m_settings.includeAlpha);
    {
        QPainter painter(&canvas);
        for (VisualLayer const* layer : m_plan.layers())
            ExportImage::paintLayer(painter, *layer, frame, canvas.rect(), layer->opacity(),
                                    m_settings.makeAllLinesBlack);
    }
    QString const layerPart = m_plan.layers().size() == 1
                                  ? QLatin1Char('.') + m_plan.fileName(m_plan.layers().first())
                                  : QString();
    return write(canvas, QStringLiteral("%1%2.%3%4.%5")
                             .arg(m_settings.name, layerPart, frameText(frame), suffix,
                                  ExportImage::extension(m_format)),
                 step);
}

bool FrameExporter::writeLayerFrames(int frame, int step)
{
    for (VisualLayer const* layer : m_plan.layers()) {
        std::shared_ptr<LayerItem> const cell = layer->layerItem(frame);
        if (!cell)
            continue;
        QString suffix;
        if (cell->kind != LayerItem::Original) {
            if (m_settings.clones == ExportFramesSettings::ExcludeClones)
                continue;
            if (m_settings.clones == ExportFramesSettings::IncludeClones)
                suffix = suffixOf(*layer, frame);
        }
        QImage canvas = ExportImage::canvas(m_scene.frameSize(), m_settings.includeAlpha);
        {
            QPainter painter(&canvas);
            ExportImage::paintLayer(painter, *layer, frame, canvas.rect(), layer->opacity(),
                                    m_settings.makeAllLinesBlack);
        }
        QString const fileName = QStringLiteral("%1.%2.%3%4.%5")
                                     .arg(m_settings.name, m_plan.fileName(layer),
                                          frameText(frame), suffix,
                                          ExportImage::extension(m_format));
        if (!write(canvas, fileName, step))
            return false;
    }
    return true;
}

bool FrameExporter::write(QImage const& image, QString const& fileName, int step)
{
    if (m_queue.add(image, QDir(m_settings.exportDir).filePath(fileName), step))
        return true;
    reportFailure();
    return false;
}

void FrameExporter::reportFailure()
{
    // Nothing to tell when the user stopped the export.
    if (m_queue.failed())
        ExportFailure::report(&m_progress, tr("Cannot write file %1:\n%2.")
                                               .arg(QDir::toNativeSeparators(m_queue.failedPath()),
                                                    m_queue.errorString()));
}

bool FrameExporter::isRepeatFrame(int frame) const
{
    for (VisualLayer const* layer : m_plan.layers()) {
        bool const holds = layer->drawingTypeBeyond(frame) == LayerItem::Hold;
        bool const goneBeyondEnd = layer->layerBeyondLast() == Layer::showNothing
                                   && frame - 1 > layer->length();
        if (!holds && !goneBeyondEnd)
            return false;
    }
    return true;
}

QString FrameExporter::suffixOf(VisualLayer const& layer, int frame) const
{
    std::shared_ptr<LayerItem> const cell = layer.layerItem(frame);
    if (cell->kind == LayerItem::Hold)
        return m_holdSuffix;
    int originalLayer = -1;
    int originalFrame = 0;
    if (!m_scene.lookupLayerItem(cell->original, &originalLayer, &originalFrame))
        return QString();
    auto const* holder = qobject_cast<VisualLayer const*>(m_scene.layer(originalLayer).get());
    return m_cloneSuffix.arg(holder ? m_plan.fileName(holder) : QString(),
                             frameText(originalFrame));
}

QString FrameExporter::frameText(int frame)
{
    return QStringLiteral("%1").arg(frame, 4, 10, QLatin1Char('0'));
}

} // namespace Model
