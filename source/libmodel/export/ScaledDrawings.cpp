#include "export/ScaledDrawings.h"

#include "drawings/Drawing.h"
#include "scene/LayerItem.h"
#include "scene/VisualLayer.h"

#include <QHash>

#include <vector>

namespace Model {

struct ScaledDrawings::Data
{
    struct Entry
    {
        // The scene's drawing, kept alive until it has been copied.
        std::shared_ptr<Drawing> source;
        std::shared_ptr<Drawing> scaled;
    };

    QSize size;
    int firstFrame = 1;
    int layerCount = 0;
    std::vector<Entry> entries;
    // For each exported frame, one entry index per layer (-1 for none).
    std::vector<int> shown;
    // For each exported frame, the entries it shows first and last.
    std::vector<std::vector<int>> firstShownAt;
    std::vector<std::vector<int>> lastShownAt;

    int slot(int frame) const { return frame - firstFrame; }
    bool holds(int frame) const { return slot(frame) >= 0 && slot(frame) < int(firstShownAt.size()); }
};

ScaledDrawings::ScaledDrawings(QList<VisualLayer*> const& layers, int firstFrame, int lastFrame,
                               QSize const& size)
    : d(std::make_unique<Data>())
{
    d->size = size;
    d->firstFrame = firstFrame;
    d->layerCount = int(layers.size());
    int const frames = std::max(0, lastFrame - firstFrame + 1);
    d->shown.assign(size_t(frames) * size_t(d->layerCount), -1);
    d->firstShownAt.resize(size_t(frames));
    d->lastShownAt.resize(size_t(frames));

    QHash<Drawing const*, int> known;
    std::vector<int> last;
    for (int frame = firstFrame; frame <= lastFrame; ++frame) {
        for (int layer = 0; layer < d->layerCount; ++layer) {
            VisualLayer const* visual = layers.at(layer);
            std::shared_ptr<LayerItem> const cell = visual->layerItem(visual->shownFrame(frame));
            if (!cell || !cell->drawing)
                continue;
            auto found = known.constFind(cell->drawing.get());
            int index = 0;
            if (found == known.constEnd()) {
                index = int(d->entries.size());
                known.insert(cell->drawing.get(), index);
                d->entries.push_back({cell->drawing, nullptr});
                d->firstShownAt[size_t(d->slot(frame))].push_back(index);
                last.push_back(frame);
            } else {
                index = found.value();
                last[size_t(index)] = frame;
            }
            d->shown[size_t(d->slot(frame)) * size_t(d->layerCount) + size_t(layer)] = index;
        }
    }
    for (size_t index = 0; index < last.size(); ++index)
        d->lastShownAt[size_t(d->slot(last[index]))].push_back(int(index));
}

ScaledDrawings::~ScaledDrawings() = default;

void ScaledDrawings::prepare(int frame)
{
    if (!d->holds(frame))
        return;
    for (int index : d->firstShownAt[size_t(d->slot(frame))]) {
        Data::Entry& entry = d->entries[size_t(index)];
        entry.scaled.reset(entry.source->clone());
        entry.source.reset();
        entry.scaled->changeFrameSize(d->size, KW::FitMode::FitModeKeepAspect);
    }
}

std::shared_ptr<Drawing> ScaledDrawings::shown(int layer, int frame) const
{
    if (!d->holds(frame) || layer < 0 || layer >= d->layerCount)
        return nullptr;
    int const index = d->shown[size_t(d->slot(frame)) * size_t(d->layerCount) + size_t(layer)];
    return index < 0 ? nullptr : d->entries[size_t(index)].scaled;
}

void ScaledDrawings::release(int frame)
{
    if (!d->holds(frame))
        return;
    for (int index : d->lastShownAt[size_t(d->slot(frame))])
        d->entries[size_t(index)].scaled.reset();
}

} // namespace Model
