#include "scene/Scene.h"
#include "scene/SceneData.h"

#include "audio/AudioLayer.h"
#include "scene/Layer.h"

namespace Model {

using namespace SceneDetail;

// --- sound -------------------------------------------------------------------

bool Scene::isLayerAudible(int layer) const
{
    auto const* audio = qobject_cast<AudioLayer const*>(layerAt(layer));
    return audio && audio->isAudioAvailable() && audio->isAudible();
}

bool Scene::isAudioAvailable() const
{
    AudioLayer const* audio = audioLayer();
    return audio && audio->isAudioAvailable();
}

bool Scene::isAudioAvailableInRange(int first, int last) const
{
    AudioLayer const* audio = audioLayer();
    return audio && audio->isAudioAvailableInRange(first, last);
}

bool Scene::isAudible() const
{
    return isLayerAudible(d->audioLayerIdx);
}

bool Scene::isAudioFrameValid(int frame) const
{
    AudioLayer const* audio = audioLayer();
    return audio && audio->isFrameValid(frame);
}

double Scene::audioOffsetFrames() const
{
    AudioLayer const* audio = audioLayer();
    return audio ? audio->offsetFrames() : 0.0;
}

double Scene::audioOffsetFramesTotal() const
{
    AudioLayer const* audio = audioLayer();
    return audio ? audio->offsetFramesTotal() : 0.0;
}

bool Scene::setLayerAudible(int layer, bool audible)
{
    auto* const audio = qobject_cast<AudioLayer*>(layerAt(layer));
    if (!audio)
        return false;
    if (audio->isAudible() != audible) {
        audio->setAudible(audible);
        emit layersChanged(layer, layer);
    }
    return true;
}

bool Scene::setAudible(bool audible)
{
    return setLayerAudible(d->audioLayerIdx, audible);
}

void Scene::setAudioOffsetFrames(double offsetFrames)
{
    AudioLayer* const audio = audioLayer();
    if (!audio)
        return;
    audio->setOffsetFrames(offsetFrames);
    emit layersChanged(d->audioLayerIdx, d->audioLayerIdx);
}

void Scene::setAudioOffsetFramesTemporary(double offsetFrames)
{
    AudioLayer* const audio = audioLayer();
    if (!audio)
        return;
    audio->setOffsetFramesTemporary(offsetFrames);
    emit layersChanged(d->audioLayerIdx, d->audioLayerIdx);
}

void Scene::updateAudioLayerFrameRate()
{
    if (AudioLayer* const audio = audioLayer())
        audio->setFrameRate(d->frameRate);
}

void Scene::startScrubbing()
{
    d->scrubbing = true;
    if (AudioLayer* const audio = audioLayer()) {
        audio->startScrubbing();
        if (d->scrubFrame != -1)
            audio->playFrame(d->scrubFrame);
    }
}

void Scene::stopScrubbing()
{
    d->scrubbing = false;
    if (AudioLayer* const audio = audioLayer())
        audio->stopScrubbing();
}

void Scene::startAudioPlayback(int frame)
{
    if (AudioLayer* const audio = audioLayer())
        audio->startPlayback(frame, d->maximumFrameNumber);
}

void Scene::stopAudioPlayback()
{
    if (AudioLayer* const audio = audioLayer())
        audio->stopPlayback();
}

} // namespace Model
