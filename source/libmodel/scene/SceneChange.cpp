#include "scene/SceneChange.h"

#include "scene/LayerItem.h"

#include <utility>

namespace Model {

SceneChange::SceneChange() = default;

SceneChange::SceneChange(int kind, int frame, std::shared_ptr<LayerItem> cell, int layer)
    : LayerChange(kind, frame, std::move(cell))
    , layer(layer)
{
}

SceneChange::SceneChange(int kind, int frame, QTransform const& transform, int layer)
    : LayerChange(kind, frame, transform)
    , layer(layer)
{
}

SceneChange::SceneChange(int kind, int frame, QImage const& image, int layer)
    : LayerChange(kind, frame, image)
    , layer(layer)
{
}

SceneChange::SceneChange(LayerChange const& change, int layer)
    : LayerChange(change)
    , layer(layer)
{
}

SceneChange::SceneChange(LayerChange&& change, int layer)
    : LayerChange(std::move(change))
    , layer(layer)
{
}

SceneChange::~SceneChange() = default;

} // namespace Model
