#include "scene/Scene.h"
#include "scene/SceneData.h"

#include "drawings/Drawing.h"
#include "scene/Layer.h"
#include "scene/LayerItem.h"
#include "scene/VisualLayer.h"
#include "settings/Settings.h"

#include <algorithm>
#include <cmath>

namespace Model {

using namespace SceneDetail;

// --- backlight frames ------------------------------------------------------------

namespace {

// The lists are recomputed often; only a real change is announced.
bool sameBacklightFrames(QList<Scene::BacklightFrame> const& a,
                         QList<Scene::BacklightFrame> const& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        double const x = a.at(i).opacity;
        double const y = b.at(i).opacity;
        if (a.at(i).frame != b.at(i).frame || a.at(i).hueShift != b.at(i).hueShift
            || std::abs(x - y) * 1e12 > std::min(std::abs(x), std::abs(y)))
            return false;
    }
    return true;
}


} // namespace


// Neighbours are counted in drawings: a stop is a frame where some backlight
// layer shows a new drawing (or, with only key drawings, where the active
// layer has a key drawing).
struct Scene::BacklightSearch
{
    BacklightSetting::ShowOption show = BacklightSetting::StopAtEnds;
    bool onlyKeyFrames = false;
    int first = 1;
    int last = 1;
    int maximum = 1;
    VisualLayer const* active = nullptr; // the active layer when it is visual
    int activeLength = 0;
    QList<VisualLayer const*> layers;

    bool isActiveVirtualLastFrame(int frame) const
    {
        return active && active->isVirtualLastFrame(frame);
    }

    bool isDrawingChange(int frame) const
    {
        return std::any_of(layers.cbegin(), layers.cend(), [frame](VisualLayer const* layer) {
            int const type = layer->drawingTypeBeyond(frame);
            return type == LayerItem::Original || type == LayerItem::DistantClone
                   || layer->isVirtualLastFrame(frame);
        });
    }

    bool isStop(int frame) const
    {
        if (onlyKeyFrames)
            return active && active->isKeyDrawing(frame);
        return isDrawingChange(frame)
               || (show != BacklightSetting::ShowOutsideRange && frame == first);
    }

    // The first stop walking from one frame to another, either way; -1 when
    // there is none.
    int stopUp(int from, int to) const
    {
        for (int frame = from; frame <= to; ++frame) {
            if (isStop(frame))
                return frame;
        }
        return -1;
    }

    int stopDown(int from, int to) const
    {
        for (int frame = from; frame >= to; --frame) {
            if (isStop(frame))
                return frame;
        }
        return -1;
    }

    int next(int frame) const
    {
        switch (show) {
        case BacklightSetting::StopAtEnds:
            if (frame < first || frame >= last)
                return -1;
            return stopUp(frame + 1, last);
        case BacklightSetting::WrapAtEnds:
            if (frame >= first && frame < last) {
                if (int const stop = stopUp(frame + 1, last); stop != -1)
                    return stop;
            }
            return stopUp(first, last);
        case BacklightSetting::ShowOutsideRange:
            // Frame 1 has neighbours after it like any other frame.
            if (frame < 1 || frame >= maximum)
                return -1;
            return stopUp(frame + 1, maximum);
        }
        return -1;
    }

    int previous(int frame) const
    {
        bool const virtualLast = isActiveVirtualLastFrame(frame);
        switch (show) {
        case BacklightSetting::StopAtEnds:
            if (frame < first || (frame > last && !virtualLast))
                return -1;
            return stopDown(virtualLast ? std::min(activeLength, last) : frame - 1, first);
        case BacklightSetting::WrapAtEnds:
            if (frame > first && frame <= last) {
                if (int const stop = stopDown(frame - 1, first); stop != -1)
                    return stop;
            }
            return stopDown(std::min(activeLength, last), first);
        case BacklightSetting::ShowOutsideRange:
            if (frame < 1 || (frame > maximum && !virtualLast))
                return -1;
            return stopDown(virtualLast ? std::min(activeLength, maximum) : frame - 1, 1);
        }
        return -1;
    }
};

QList<Scene::BacklightFrame> Scene::computeBacklightFrames() const
{
    BacklightSettings const& settings = d->backlightSettings;
    if (!settings.enabled)
        return {};
    BacklightSetting const& setting = currentBacklightSetting(settings);
    int const hueStep = setting.hueShift == BacklightSetting::UseHueShift ? 30 : 0;

    BacklightSearch search;
    search.show = setting.showOption;
    search.onlyKeyFrames = settings.onlyKeyFrames;
    search.first = d->frameRangeFirst;
    search.last = d->frameRangeLast;
    search.maximum = d->maximumFrameNumber;
    int const active = validActiveLayer();
    search.active = visualLayer(active);
    search.activeLength = search.active ? search.active->length()
                                        : (active >= 0 ? d->maximumFrameNumber : 0);
    if (setting.layers == BacklightSetting::BacklightVisibleLayers) {
        for (auto it = d->logicalLayerIndices.crbegin(); it != d->logicalLayerIndices.crend();
             ++it) {
            VisualLayer const* visual = visualLayer(*it);
            if (visual && visual->isVisible())
                search.layers.append(visual);
        }
    } else if (search.active) {
        search.layers.append(search.active);
    }

    int const start = std::min(d->activeFrame, d->frameRangeLast + 1);
    int forward = start;
    int backward = start;
    // On a held drawing the nearest neighbour before is the drawing before
    // the held one, so the search starts where the held drawing starts.
    if (!settings.onlyKeyFrames && !search.isActiveVirtualLastFrame(start)
        && !search.isDrawingChange(start) && start != search.first)
        backward = search.previous(start);

    QList<double> const& before = setting.opacityLevelsBefore;
    QList<double> const& after = setting.opacityLevelsAfter;
    QList<BacklightFrame> frames;
    for (qsizetype i = 0; i < std::max(before.size(), after.size()); ++i) {
        int const step = int(i + 1) * hueStep;
        // A cursor that found nothing stays there for the rest of the search.
        if (i < after.size()) {
            if (forward != -1)
                forward = search.next(forward);
            if (forward != -1 && after.at(i) > 0.01)
                frames.append({forward, after.at(i), -step});
        }
        if (i < before.size()) {
            if (backward != -1)
                backward = search.previous(backward);
            if (backward != -1 && before.at(i) > 0.01)
                frames.append({backward, before.at(i), step});
        }
    }
    std::reverse(frames.begin(), frames.end());
    return frames;
}

QList<Scene::BacklightFrame> Scene::backlightFrames() const
{
    return d->backlightFrames;
}

void Scene::updateBacklightFrames()
{
    QList<BacklightFrame> frames = computeBacklightFrames();
    if (sameBacklightFrames(frames, d->backlightFrames))
        return;
    d->backlightFrames = std::move(frames);
    if (!d->holdBacklightFramesChanged)
        emit backlightFramesChanged();
}

bool Scene::isBacklightFrame(int frame) const
{
    if (!d->backlightSettings.enabled)
        return false;
    if (frame == d->activeFrame)
        return true;
    return std::any_of(d->backlightFrames.cbegin(), d->backlightFrames.cend(),
                       [frame](BacklightFrame const& record) { return record.frame == frame; });
}

} // namespace Model
