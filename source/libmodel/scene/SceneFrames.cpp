#include "scene/Scene.h"
#include "scene/SceneData.h"

#include "audio/AudioLayer.h"
#include "drawings/Drawing.h"
#include "scene/AnnotationLayer.h"
#include "scene/Layer.h"
#include "scene/VisualLayer.h"

#include <algorithm>
#include <cmath>

namespace Model {

using namespace SceneDetail;

// --- frame rate and range ----------------------------------------------------

void Scene::setFrameRate(double frameRate)
{
    // NaN would pass through the bounds and poison every timing after it.
    if (std::isnan(frameRate))
        return;
    double const rate = boundedFrameRate(frameRate);
    if (qFuzzyCompare(rate, d->frameRate))
        return;
    d->frameRate = rate;
    updateAudioLayerFrameRate();
    emit frameRateChanged(rate);
    emit layersChanged(d->audioLayerIdx, d->audioLayerIdx);
}

void Scene::setFrameRange(int lower, int upper, int wantedFrameId, int wantedLayerIndex)
{
    int const n = d->maximumFrameNumber;
    int const lo = std::max(std::min(lower, n), 1);
    int const hi = std::max(std::min(upper, n), 1);
    if (hi < lo)
        return;

    int first = lo;
    int last = hi;
    // A range is never a single frame unless the scene has only one.
    if (lo == hi && n != 1) {
        first = lo == 1 ? 1 : lo - 1;
        last = lo == 1 ? 2 : lo;
    }

    if (first == d->frameRangeFirst && last == d->frameRangeLast
        && wantedLayerIndex == d->activeLayerIdx && wantedFrameId == d->activeFrame
        && d->activeFrame >= first
        && d->activeFrame <= std::min(last, layerLength(d->activeLayerIdx)))
        return;

    d->frameRangeFirst = first;
    d->frameRangeLast = last;

    // The wanted layer, or the nearest one above it, that reaches the range.
    int layer = -1;
    if (wantedLayerIndex >= 0 && wantedLayerIndex < numLayers()) {
        for (int pos = d->visualLayerIndices.at(wantedLayerIndex); pos >= 0; --pos) {
            int const index = d->logicalLayerIndices.at(pos);
            VisualLayer const* visual = visualLayer(index);
            if (visual && visual->length() + 1 >= first) {
                layer = index;
                break;
            }
        }
    }
    emit frameRangeChanged(first, last);
    if (layer < 0)
        layer = layerIndexTop();

    int frame = 0;
    SetFrameBehaviour behaviour = KeepWithinDrawnFrames;
    VisualLayer const* chosen = visualLayer(layer);
    if (chosen && chosen->isVirtualLastFrame(wantedFrameId)) {
        frame = wantedFrameId;
        behaviour = AcceptVirtualLastFrame;
    } else {
        int const length = chosen ? chosen->length() : (layerAt(layer) ? n : 0);
        frame = std::min(length, last);
        frame = std::min(frame, wantedFrameId);
        frame = std::max(frame, first);
    }

    setActiveFrameAndLayerInternal(frame, layer, behaviour);
    updateCachedFramePixmap(true);
    emit offPegsTransformChanged(offPegsTransform(d->activeFrame));
    emit activeFrameAndLayerChanged(d->activeFrame, d->activeLayerIdx);
}

// --- active cell and scrub frame ---------------------------------------------

bool Scene::setActiveFrameAndLayerInternal(int frame, int layer, SetFrameBehaviour behaviour)
{
    // Only a layer of the list, or none (-1), may become active: everything
    // that reads the active index relies on that.
    if (layer >= numLayers())
        return false;
    layer = std::max(layer, -1);
    if (frame == d->activeFrame && layer == d->activeLayerIdx) {
        if (behaviour != KeepWithinDrawnFrames)
            return false;
        // Only moving the active frame off the virtual last frame remains.
        VisualLayer const* visual = visualLayer(layer);
        if (isScrubFrameShown() || !visual || !visual->isVirtualLastFrame(d->activeFrame))
            return false;
    }

    int newFrame = 0;
    if (layer < 0) {
        if (frame < 1 || d->frameRangeFirst > 1)
            return false;
        newFrame = (frame == 1 && behaviour != KeepWithinDrawnFrames) ? 1 : d->frameRangeFirst;
    } else {
        int const type = layerType(layer);
        if (type == Layer::AudioLayerType || type == Layer::AnnotationLayerType || frame < 1)
            return false;
        int const length = layerLength(layer);
        if (length + 1 < d->frameRangeFirst)
            return false;
        if (behaviour != KeepWithinDrawnFrames && frame == length + 1)
            newFrame = frame;
        else if (length < d->frameRangeFirst)
            newFrame = d->frameRangeFirst;
        else
            newFrame = std::max(d->frameRangeFirst,
                                std::min({frame, length, d->frameRangeLast}));
    }

    d->activeLayerIdx = layer;
    d->activeFrame = newFrame;
    setScrubFrame(-1);
    return true;
}

void Scene::setActiveFrameAndLayer(int frameId, int layerId, SetFrameBehaviour behaviour)
{
    if (!setActiveFrameAndLayerInternal(frameId, layerId, behaviour))
        return;
    emit activeFrameAndLayerChanged(d->activeFrame, d->activeLayerIdx);
    updateCachedFramePixmap(true);
}

void Scene::setScrubFrame(int frame)
{
    if (frame == d->scrubFrame)
        return;
    int const previous = d->scrubFrame;
    if (frame < 1)
        d->scrubFrame = -1;
    else if (frame <= d->maximumFrameNumber)
        d->scrubFrame = frame;
    emit scrubFrameChanged(d->scrubFrame, previous);
    if (d->scrubFrame == -1) {
        // The views return from the scrub frame to the active frame.
        emit activeFrameAndLayerChanged(d->activeFrame, d->activeLayerIdx);
        return;
    }
    if (d->scrubbing) {
        if (AudioLayer* const audio = audioLayer())
            audio->playFrame(frame);
    }
}

void Scene::unsetScrubFrame()
{
    setScrubFrame(-1);
}

// --- frame size ----------------------------------------------------------------

void Scene::setFrameSize(QSize size, KW::FitMode fitMode, QProgressDialog* progressDialog)
{
    // Drawings and pixmaps cannot take an empty frame, nor one too large to
    // keep in memory.
    if (size == d->frameSize || size.isEmpty() || size.width() > maximumFrameSide
        || size.height() > maximumFrameSide)
        return;
    emit frameSizeAboutToChange(size);
    for (auto const& layer : std::as_const(d->layers)) {
        if (auto* const visual = qobject_cast<VisualLayer*>(layer.get()))
            visual->changeFrameSize(size, fitMode, progressDialog);
    }
    d->frameSize = size;
    emit frameSizeChanged(size);
    updateCachedFramePixmap(true);
    emit rectChanged(QRect(0, 0, size.width(), size.height()));
}

} // namespace Model
