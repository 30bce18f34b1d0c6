#include "scene/Scene.h"
#include "scene/SceneData.h"

#include "drawings/Drawing.h"
#include "drawings/StrokeDrawing.h"
#include "scene/DrawLayer.h"
#include "scene/Layer.h"
#include "scene/StrokeLayer.h"
#include "scene/VisualLayer.h"
#include "settings/Settings.h"
#include "strokes/CompoundStroke.h"
#include "strokes/SingleStroke.h"
#include "tools/Tool.h"
#include "tools/ToolManager.h"

#include <QPainter>
#include <QTransform>

namespace Model {

using namespace SceneDetail;

// --- cached pictures ---------------------------------------------------------

namespace {

// A stroke drawing has ink only where its strokes reach, plus the rim that
// rasterising may touch; other layers may paint anywhere. Painting each
// layer only there keeps a full-frame composite cheap.
constexpr int inkRim = 4;

QRect inkedPart(VisualLayer const& layer, int frame, QRect const& rect)
{
    auto const* strokes = qobject_cast<StrokeLayer const*>(&layer);
    if (!strokes)
        return rect;
    // The cell the layer paints at the frame, past its end as its beyond
    // mode says.
    int const shown = strokes->shownFrame(frame);
    if (shown == 0)
        return QRect();
    StrokeDrawing const* drawing = strokes->strokeDrawing(shown - 1);
    if (!drawing || !drawing->hasCoverage())
        return QRect();
    return rect & drawing->rootStroke()->boundingRect().adjusted(-inkRim, -inkRim, inkRim, inkRim);
}

// Where painting part through transform lands in the frame: the frame itself
// unless the transform only moves, for then the picture may start anywhere
// without changing a pixel of it.
QRect paintedArea(QTransform const& transform, QRect const& part, QRect const& frame)
{
    if (transform.type() > QTransform::TxTranslate)
        return frame;
    return frame & transform.mapRect(QRectF(part)).toAlignedRect().adjusted(-1, -1, 1, 1);
}

} // namespace

QList<std::pair<VisualLayer const*, QRect>> Scene::shownLayerParts(int frame,
                                                                   VisualLayer const* current) const
{
    QRect const rect = frameRect();
    QList<std::pair<VisualLayer const*, QRect>> parts;
    auto const add = [&](VisualLayer const& layer) {
        if (QRect const part = inkedPart(layer, frame, rect); !part.isEmpty())
            parts.append({&layer, part});
    };
    for (auto it = d->logicalLayerIndices.crbegin(); it != d->logicalLayerIndices.crend(); ++it) {
        VisualLayer const* visual = visualLayer(*it);
        if (!visual || visual == current || !visual->isVisible()
            || isZeroOpacity(visual->opacity()))
            continue;
        add(*visual);
    }
    // The layer being worked on is always seen, whatever its place.
    if (current && current->isVisible() && !isZeroOpacity(current->opacity()))
        add(*current);
    return parts;
}

void Scene::updateCachedCurrentFramePixmap()
{
    // Always the active frame: a scrub frame is painted live and never from
    // this picture, and a picture made of it would outlast the scrubbing and
    // show another frame's drawings under the active frame's number.
    int const frame = shownFrame();
    QList<std::pair<VisualLayer const*, QRect>> const parts =
        shownLayerParts(frame, visualLayer(validActiveLayer()));
    QRect ink;
    for (auto const& [layer, part] : parts)
        ink |= part;
    d->currentFrameInk = ink;
    d->currentFramePicture.reset(ink);
    QPainter painter;
    if (!d->currentFramePicture.begin(painter))
        return;
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (auto const& [layer, part] : parts)
        layer->draw(frame, &painter, part);
}

void Scene::updateCachedBacklightPixmap()
{
    d->backlightFrameSize = d->frameSize;
    updateBacklightFrames();
    if (!d->backlightSettings.enabled || d->backlightFrames.isEmpty()) {
        d->backlightPicture.reset(QRect());
        return;
    }

    // Only stroke layers show through the light table; pictures never do.
    QList<StrokeLayer const*> layers;
    if (currentBacklightSetting(d->backlightSettings).layers
        == BacklightSetting::BacklightVisibleLayers) {
        for (auto it = d->logicalLayerIndices.crbegin(); it != d->logicalLayerIndices.crend();
             ++it) {
            VisualLayer const* visual = visualLayer(*it);
            if (visual && visual->isVisible() && !isZeroOpacity(visual->opacity())) {
                if (auto const* strokes = qobject_cast<StrokeLayer const*>(visual))
                    layers.append(strokes);
            }
        }
    } else if (auto const* strokes = qobject_cast<StrokeLayer const*>(
                   visualLayer(validActiveLayer()))) {
        layers.append(strokes);
    }

    // What each neighbour paints, and where, before any pixel is made.
    struct Part
    {
        BacklightFrame const* record;
        QTransform transform;
        StrokeLayer const* layer;
        QRect part;
    };
    QList<Part> parts;
    QRect area;
    QRect const rect = frameRect();
    for (BacklightFrame const& record : std::as_const(d->backlightFrames)) {
        if (layers.isEmpty() || record.frame < 1 || record.frame > d->maximumFrameNumber)
            continue;
        // A neighbour moved off the pegs is seen where it lies on the pegs.
        QTransform const transform = offPegsTransform(record.frame, nullptr).inverted();
        for (StrokeLayer const* layer : std::as_const(layers)) {
            if (QRect const part = inkedPart(*layer, record.frame, rect); !part.isEmpty()) {
                parts.append({&record, transform, layer, part});
                area |= paintedArea(transform, part, rect);
            }
        }
    }
    d->backlightPicture.reset(area);
    QPainter painter;
    if (!d->backlightPicture.begin(painter))
        return;
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    QTransform const base = painter.transform();
    for (Part const& part : std::as_const(parts)) {
        painter.setTransform(part.transform * base);
        part.layer->drawBacklight(part.record->frame, &painter, part.part, part.record->hueShift,
                                  part.record->opacity);
    }
}

void Scene::updateCachedFramePixmap(bool updateBacklight)
{
    if (numVisualLayers() == 0)
        return;
    updateCachedCurrentFramePixmap();
    // A backlight of another frame size would leave part of the frame as it was.
    if (updateBacklight || d->backlightFrameSize != d->frameSize)
        updateCachedBacklightPixmap();

    // While lassoing, the drawing to cut from stands out of the others.
    ToolManager const* tools = ToolManager::instance();
    bool const lassoing = tools->isLassoingTool() && tools->currentToolState() == Tool::Usable;
    int const frame = shownFrame();
    VisualLayer const* current = visualLayer(validActiveLayer());
    QList<std::pair<VisualLayer const*, QRect>> lassoParts;
    QRect area = d->backlightPicture.area();
    if (lassoing) {
        lassoParts = shownLayerParts(frame, current);
        for (auto const& [layer, part] : std::as_const(lassoParts))
            area |= part;
    } else {
        area |= d->currentFrameInk;
    }
    // The light table is copied over its whole area first.
    d->framePicture.reset(area, d->backlightPicture.area());
    QPainter painter;
    if (!d->framePicture.begin(painter))
        return;
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    d->backlightPicture.paint(&painter, d->backlightPicture.area());
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    if (!lassoing) {
        d->currentFramePicture.paint(&painter, d->currentFrameInk);
        return;
    }
    for (auto const& [layer, part] : std::as_const(lassoParts)) {
        painter.setOpacity(layer == current ? 1.0 : 0.25);
        layer->draw(frame, &painter, part);
    }
}

void Scene::setBacklightSettings(BacklightSettings backlightSettings)
{
    BacklightSettings& stored = d->backlightSettings;
    if (backlightSettings.current == stored.current
        && backlightSettings.onlyKeyFrames == stored.onlyKeyFrames) {
        bool const matters =
            backlightSettings.enabled != stored.enabled
            || currentBacklightSetting(backlightSettings) != currentBacklightSetting(stored);
        stored = std::move(backlightSettings);
        // A change of the set not in use repaints nothing.
        if (!matters)
            return;
    } else {
        stored = std::move(backlightSettings);
    }
    // The views hear of the new frames once, after the new picture.
    d->holdBacklightFramesChanged = true;
    updateCachedFramePixmap(true);
    d->holdBacklightFramesChanged = false;
    emit rectChanged(frameRect());
    emit backlightFramesChanged();
}

// --- drawing the frame ---------------------------------------------------------

void Scene::paintLayersLive(QPainter* painter, QRect const& rect, int frame,
                            VisualLayer const* current, bool skipCurrent) const
{
    for (auto it = d->logicalLayerIndices.crbegin(); it != d->logicalLayerIndices.crend(); ++it) {
        VisualLayer const* visual = visualLayer(*it);
        if (!visual || !visual->isVisible() || (skipCurrent && visual == current))
            continue;
        if (QRect const part = inkedPart(*visual, frame, rect); !part.isEmpty())
            visual->draw(frame, painter, part);
    }
}

void Scene::draw(QPainter* painter, QRect const& exposed) const
{
    QRect const r = exposed & frameRect();
    if (!painter || r.isEmpty())
        return;
    bool const scrubbing = isScrubFrameShown();
    if (!scrubbing) {
        if (!d->activeStroke) {
            d->framePicture.paint(painter, r);
            return;
        }
        d->backlightPicture.paint(painter, r);
    }
    // Painted live: while scrubbing, every layer at the scrub frame in its
    // place in the stack; while drawing, the active layer with its stroke on
    // top of the others.
    VisualLayer const* current = visualLayer(validActiveLayer());
    int const frame = scrubbing ? d->scrubFrame : shownFrame();
    paintLayersLive(painter, r, frame, current, !scrubbing);
    if (scrubbing || !current || !current->isVisible())
        return;
    auto const* drawLayer = qobject_cast<DrawLayer const*>(current);
    if (drawLayer && isDrawType(current->type())) {
        rasteriseActiveStroke();
        drawLayer->draw(frame, painter, r, d->activeStroke.get());
    }
    else
        current->draw(frame, painter, r);
}

void Scene::drawOnlyCurrentFrame(QPainter* painter, QRect const& exposed) const
{
    QRect const r = exposed & frameRect();
    if (!painter || r.isEmpty())
        return;
    bool const scrubbing = isScrubFrameShown();
    if (!scrubbing && !d->activeStroke) {
        d->currentFramePicture.paint(painter, r);
        return;
    }
    VisualLayer const* current = visualLayer(validActiveLayer());
    int const frame = scrubbing ? d->scrubFrame : shownFrame();
    paintLayersLive(painter, r, frame, current, !scrubbing);
    if (scrubbing || !current || !current->isVisible() || !isDrawType(current->type()))
        return;
    if (auto const* drawLayer = qobject_cast<DrawLayer const*>(current)) {
        rasteriseActiveStroke();
        drawLayer->draw(frame, painter, r, d->activeStroke.get());
    }
}

void Scene::drawOnlyBackLight(QPainter* painter, QRect const& exposed) const
{
    QRect const r = exposed & frameRect();
    if (!painter || r.isEmpty() || isScrubFrameShown())
        return;
    d->backlightPicture.paint(painter, r);
}

} // namespace Model
