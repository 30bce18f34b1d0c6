#pragma once

#include "scene/LayerChange.h"

namespace Model {

// A layer change together with the index of its layer in the scene's list.
class SceneChange : public LayerChange
{
public:
    SceneChange();
    SceneChange(int kind, int frame, std::shared_ptr<LayerItem> cell, int layer);
    SceneChange(int kind, int frame, QTransform const& transform, int layer);
    SceneChange(int kind, int frame, QImage const& image, int layer);
    SceneChange(LayerChange const& change, int layer);
    SceneChange(LayerChange&& change, int layer);

    SceneChange(SceneChange const&) = default;
    SceneChange(SceneChange&&) noexcept = default;
    SceneChange& operator=(SceneChange const&) = default;
    SceneChange& operator=(SceneChange&&) noexcept = default;
    ~SceneChange() override;

    int layer = -1;
};

} // namespace Model
