#include "scene/Scene.h"

#include "scene/LayerItem.h"
#include "scene/StrokeLayer.h"

namespace Model {

StrokeLayer* Scene::lookupOriginalStrokeLayer(int layer, int frame) const
{
    auto* current = qobject_cast<StrokeLayer*>(layerAt(layer));
    if (!current || frame < 1 || !current->isVisible() || current->length() < frame)
        return nullptr;
    for (int f = frame; f >= 1; --f) {
        std::shared_ptr<LayerItem> const item = current->layerItem(f);
        if (!item || item->kind == LayerItem::Original)
            return current;
        if (item->kind == LayerItem::DistantClone) {
            int originalLayer = -1;
            if (lookupLayerItem(item->original, &originalLayer))
                return qobject_cast<StrokeLayer*>(layerAt(originalLayer));
        }
    }
    return current;
}

} // namespace Model
