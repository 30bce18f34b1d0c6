// Scribbling notes into the annotation column. A stroke lives in the sheet's
// own stroke engine, in one tall 8-bit buffer at a fixed 56 pixels per row
// covering the rows visible at the press; on release it is cut into one image
// per frame, merged with what each frame held, and stored with one undo step.
#include "xsheet/XSheet.h"

#include "xsheet/XSheetHeader.h"
#include "xsheet/XSheetCommands.h"
#include "xsheet/XSheetPrivate.h"

#include "models/FrameRangeModel.h"
#include "models/SceneModel.h"
#include "scene/AnnotationLayer.h"
#include "strokes/Blending.h"
#include "strokes/SingleStroke.h"
#include "tools/Cursor.h"
#include "tools/DrawingTool.h"
#include "tools/ToolManager.h"

#include <QTabletEvent>

namespace UI {

using Roles = Model::SceneModel::Roles;

// --- images --------------------------------------------------------------------

QImage XSheet::XSheetPrivate::annotationStrokeStrip(int row, Model::SingleStroke const* stroke) const
{
    if (!stroke)
        return QImage();
    QImage const& buffer = stroke->buffer();
    int const height = annotationImageFrameHeight;
    int const start = (row - annotationRows) * height;
    if (start < 0 || start + height > buffer.height())
        return QImage();
    QImage const view(buffer.constScanLine(start), buffer.width(), height, buffer.bytesPerLine(),
                      QImage::Format_Alpha8);
    return view.copy();
}

QImage XSheet::XSheetPrivate::composeAnnotationImage(QModelIndex const& index,
                                                     Model::SingleStroke const* stroke) const
{
    QVariant const stored = index.data(Roles::AnnotationImageRole);
    QImage image = stored.canConvert<QImage>() ? stored.value<QImage>() : QImage();
    QImage const strip = annotationStrokeStrip(index.row(), stroke);
    if (!image.isNull()) {
        if (strip.isNull())
            return image;
        Model::Blending::blendImages(image, strip, strip.rect(), stroke->isPen());
        return image;
    }
    // An eraser on an empty cell leaves nothing.
    if (stroke && stroke->isPen())
        return strip;
    return QImage();
}

QImage XSheet::XSheetPrivate::annotationDisplayImage(QModelIndex const& index) const
{
    QImage const composed = composeAnnotationImage(index, annotationStrokeEngine.activeStroke());
    if (composed.isNull())
        return QImage();
    QImage indexed(composed.constBits(), composed.width(), composed.height(), composed.bytesPerLine(),
                   QImage::Format_Indexed8);
    indexed.setColorCount(int(annotationColorTable.size()));
    indexed.setColorTable(annotationColorTable);
    return indexed.copy();
}

void XSheet::XSheetPrivate::buildAnnotationColorTable()
{
    annotationColorTable.clear();
    annotationColorTable.reserve(256);
    for (int i = 0; i < 256; ++i)
        annotationColorTable.append(qRgba(185, 183, 181, i));
}

// --- cursor --------------------------------------------------------------------

void XSheet::XSheetPrivate::setAnnotationCursor(int kind)
{
    if (kind != 5 && kind != 6)
        return;
    Model::ToolManager* const tools = Model::ToolManager::instance();
    bool const eraser = tools->lastDrawingToolType() == Model::Tool::Type(1);
    if (kind == 6) {
        q->viewport()->setCursor(eraser ? Model::Cursor::m_cursorScribbleEraser
                                        : Model::Cursor::m_cursorScribblePen);
    } else if (auto* const tool = dynamic_cast<Model::DrawingTool*>(
                   tools->tool(Model::Tool::Type(eraser ? 1 : 0)))) {
        q->viewport()->setCursor(tool->annotationCursor(double(rowHeight) / annotationImageFrameHeight));
    }
    if (kind != cursorKind) {
        QObject::disconnect(cursorConnection);
        if (kind == 5)
            cursorConnection = QObject::connect(tools, &Model::ToolManager::cursorChanged, q,
                                                [this]() { setAnnotationCursor(5); });
        else
            cursorConnection = QObject::connect(tools, &Model::ToolManager::currentToolTypeChanged, q,
                                                [this]() { setAnnotationCursor(6); });
        cursorKind = kind;
    }
}

// --- strokes -------------------------------------------------------------------

void XSheet::handleAnnotationPress(QPointF const& pos, double pressure, unsigned long timestamp)
{
    if (!d->model)
        return;
    int const column = d->header->logicalIndexAt(qRound(pos.x()));
    int const x = d->header->sectionViewportPosition(column) + 1;
    int const w = d->header->sectionSize(column);
    int const first = rowAt(0);
    int last = rowAt(viewport()->height() - 1);
    if (last <= 0 || last > d->model->rowCount())
        last = d->model->maximumFrameRangeNumber() - d->model->minimumFrameRangeNumber();
    d->annotationRows = first;
    d->annotationColumn = column;

    int const y0 = first * d->rowHeight - verticalOffset() + d->topMargin + 1;
    double const k = double(d->annotationImageFrameHeight) / d->rowHeight;
    d->annotationTransform = QTransform::fromScale(k, k).translate(-x, -y0);
    QRect area = d->annotationTransform.mapRect(
        QRect(QPoint(x, y0), QPoint(x + w - 4, y0 + (last - first + 1) * d->rowHeight - 1)));
    // A wider note would make the scene file unreadable.
    area.setWidth(std::min(area.width(), Model::AnnotationLayer::maximumImageWidth));

    Model::ToolManager* const tools = Model::ToolManager::instance();
    Model::Tool* const tool = d->annotationPenType == KW::AnnotationPenType::ScribblePen
                                  ? tools->scribbleTool(tools->lastDrawingToolType())
                                  : tools->tool(tools->lastDrawingToolType());
    d->annotationStrokeEngine.beginStroke(
        area, Model::Stroke::GuidePoint{d->annotationTransform.map(pos), pressure, timestamp}, tool);
}

void XSheet::handleAnnotationMove(QPointF const& pos, double pressure, unsigned long timestamp)
{
    d->annotationStrokeEngine.addStrokePoint(
        Model::Stroke::GuidePoint{d->annotationTransform.map(pos), pressure, timestamp});
}

void XSheet::handleAnnotationRelease()
{
    if (!d->annotationStrokeEngine.hasActiveStroke())
        return;
    std::unique_ptr<Model::SingleStroke> const stroke = d->annotationStrokeEngine.endStroke();
    viewport()->update();
    if (!stroke || !d->model)
        return;
    int const height = d->annotationImageFrameHeight;
    QRect const bounds = stroke->boundingRect();
    int const first = std::max(bounds.top(), 0) / height;
    int const last = std::min(bounds.bottom(), stroke->buffer().height() - 1) / height;
    if (first > last)
        return;
    QList<std::pair<int, QImage>> images; // frame row of the scene model, merged image
    int const base = d->model->minimumFrameRangeNumber() + d->annotationRows - 1;
    for (int j = first; j <= last; ++j) {
        QImage const image = d->composeAnnotationImage(
            d->model->index(d->annotationRows + j, d->annotationColumn), stroke.get());
        if (!image.isNull())
            images.append({base + j, image.copy()});
    }
    XSheetCommands::addAnnotations(d->annotationColumn, images, first < last);
}

bool XSheet::handleAnnotationTabletEvent(QTabletEvent* event)
{
    if (d->frameDragRunning || d->audioDragRunning || !d->model)
        return false;
    QPointF const pos = event->position();
    int const type =
        d->model->headerData(d->header->logicalIndexAt(qRound(pos.x())), Qt::Horizontal, Roles::LayerTypeRole)
            .toInt();
    if (!d->annotationStrokeEngine.hasActiveStroke() && type != 5)
        return false;
    switch (event->type()) {
    case QEvent::TabletMove:
        if (d->tabletDown)
            handleAnnotationMove(pos, event->pressure(), event->timestamp());
        else
            d->updateCursor(pos.toPoint(), false);
        break;
    case QEvent::TabletRelease:
        if (d->tabletDown) {
            handleAnnotationMove(pos, event->pressure(), event->timestamp());
            handleAnnotationRelease();
        }
        d->tabletDown = false;
        d->updateCursor(pos.toPoint(), false);
        break;
    case QEvent::TabletPress:
        if (!d->tabletDown) {
            setFocus(Qt::OtherFocusReason);
            d->tabletDown = true;
            handleAnnotationPress(pos, event->pressure(), event->timestamp());
            d->tabletTimer->start(500);
        }
        break;
    default:
        break;
    }
    event->accept();
    return true;
}

} // namespace UI
