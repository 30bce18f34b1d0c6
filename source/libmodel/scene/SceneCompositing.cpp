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
#include <QPixmap>

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
    int const length = strokes->length();
    if (frame < 1 || length == 0)
        return QRect();
    int index = frame - 1;
    if (frame > length) {
        switch (strokes->layerBeyondLast()) {
        case Layer::cycleDrawings:
            index = (frame - 1) % length;
            break;
        case Layer::freezeLast:
            index = length - 1;
            break;
        case Layer::showNothing:
            return QRect();
        }
    }
    StrokeDrawing const* drawing = strokes->strokeDrawing(index);
    if (!drawing || drawing->buffer().isNull())
        return QRect();
    return rect & drawing->rootStroke()->boundingRect().adjusted(-inkRim, -inkRim, inkRim, inkRim);
}

// Reuses the pixmap's memory when the frame size is unchanged.
void clearPixmap(QPixmap& pixmap, QSize const& size)
{
    if (pixmap.size() != size)
        pixmap = QPixmap(size);
    pixmap.fill(Qt::transparent);
}

} // namespace

QRect Scene::paintLayers(QPainter& painter, int frame, VisualLayer const* current) const
{
    QRect const rect = frameRect();
    QRect painted;
    auto const paint = [&](VisualLayer const& layer) {
        QRect const part = inkedPart(layer, frame, rect);
        if (part.isEmpty())
            return;
        layer.draw(frame, &painter, part);
        painted |= part;
    };
    for (auto it = d->logicalLayerIndices.crbegin(); it != d->logicalLayerIndices.crend(); ++it) {
        VisualLayer const* visual = visualLayer(*it);
        if (!visual || visual == current || !visual->isVisible()
            || isZeroOpacity(visual->opacity()))
            continue;
        paint(*visual);
    }
    // The layer being worked on is always seen, whatever its place.
    if (current && current->isVisible() && !isZeroOpacity(current->opacity()))
        paint(*current);
    return painted;
}

void Scene::updateCachedCurrentFramePixmap()
{
    clearPixmap(d->currentFramePixmap, d->frameSize);
    int const frame = isScrubFrameShown() ? d->scrubFrame : shownFrame();
    QPainter painter(&d->currentFramePixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    d->currentFrameInk = paintLayers(painter, frame, visualLayer(validActiveLayer()));
}


void Scene::updateCachedBacklightPixmap()
{
    clearPixmap(d->backlightPixmap, d->frameSize);
    updateBacklightFrames();
    if (!d->backlightSettings.enabled || d->backlightFrames.isEmpty())
        return;

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
    if (layers.isEmpty())
        return;

    QRect const rect = frameRect();
    QPainter painter(&d->backlightPixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (BacklightFrame const& record : std::as_const(d->backlightFrames)) {
        if (record.frame < 1 || record.frame > d->maximumFrameNumber)
            continue;
        painter.save();
        // A neighbour moved off the pegs is seen where it lies on the pegs.
        painter.setTransform(painter.transform()
                             * offPegsTransform(record.frame, nullptr).inverted());
        for (StrokeLayer const* layer : std::as_const(layers)) {
            QRect const part = inkedPart(*layer, record.frame, rect);
            if (!part.isEmpty())
                layer->drawBacklight(record.frame, &painter, part, record.hueShift,
                                     record.opacity);
        }
        painter.restore();
    }
}

void Scene::updateCachedFramePixmap(bool updateBacklight)
{
    if (numVisualLayers() == 0)
        return;
    updateCachedCurrentFramePixmap();
    // A backlight of another frame size would leave part of the frame as it was.
    if (updateBacklight || d->backlightPixmap.size() != d->frameSize)
        updateCachedBacklightPixmap();
    // A new pixmap has no alpha channel until it is filled with
    // transparency: the backlight copied in would turn the paper black.
    if (d->framePixmap.size() != d->frameSize)
        d->framePixmap = QPixmap(d->frameSize);
    if (!d->framePixmap.hasAlphaChannel())
        d->framePixmap.fill(Qt::transparent);
    QPainter painter(&d->framePixmap);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawPixmap(0, 0, d->backlightPixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);

    ToolManager const* tools = ToolManager::instance();
    if (!tools->isLassoingTool() || tools->currentToolState() != Tool::Usable) {
        QRect const ink = d->currentFrameInk;
        if (!ink.isEmpty())
            painter.drawPixmap(ink, d->currentFramePixmap, ink);
        return;
    }
    // While lassoing, the drawing to cut from stands out of the others.
    int const frame = shownFrame();
    QRect const rect = frameRect();
    VisualLayer const* current = visualLayer(validActiveLayer());
    painter.setOpacity(0.25);
    for (auto it = d->logicalLayerIndices.crbegin(); it != d->logicalLayerIndices.crend(); ++it) {
        VisualLayer const* visual = visualLayer(*it);
        if (visual && visual != current && visual->isVisible()
            && !isZeroOpacity(visual->opacity())) {
            if (QRect const part = inkedPart(*visual, frame, rect); !part.isEmpty())
                visual->draw(frame, &painter, part);
        }
    }
    painter.setOpacity(1.0);
    if (current && current->isVisible() && !isZeroOpacity(current->opacity())) {
        if (QRect const part = inkedPart(*current, frame, rect); !part.isEmpty())
            current->draw(frame, &painter, part);
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
            painter->drawPixmap(r, d->framePixmap, r);
            return;
        }
        painter->drawPixmap(r, d->backlightPixmap, r);
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
    if (drawLayer && isDrawType(current->type()))
        drawLayer->draw(frame, painter, r, d->activeStroke.get());
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
        painter->drawPixmap(r, d->currentFramePixmap, r);
        return;
    }
    VisualLayer const* current = visualLayer(validActiveLayer());
    int const frame = scrubbing ? d->scrubFrame : shownFrame();
    paintLayersLive(painter, r, frame, current, !scrubbing);
    if (scrubbing || !current || !current->isVisible() || !isDrawType(current->type()))
        return;
    if (auto const* drawLayer = qobject_cast<DrawLayer const*>(current))
        drawLayer->draw(frame, painter, r, d->activeStroke.get());
}

void Scene::drawOnlyBackLight(QPainter* painter, QRect const& exposed) const
{
    QRect const r = exposed & frameRect();
    if (!painter || r.isEmpty() || isScrubFrameShown())
        return;
    painter->drawPixmap(r, d->backlightPixmap, r);
}

} // namespace Model
