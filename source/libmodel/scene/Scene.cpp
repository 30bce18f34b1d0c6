#include "scene/Scene.h"

#include "scene/Layer.h"
#include "scene/LayerItem.h"
#include "scene/VisualLayer.h"

namespace Model {

struct Scene::Data
{
    QList<std::shared_ptr<Layer>> layers;
};

Scene::Scene(QObject* parent)
    : QObject(parent)
    , d(std::make_unique<Data>())
{
}

Scene::~Scene()
{
    // Layers belong to their shared pointers, not to the QObject tree: one
    // that outlives the scene elsewhere (an undo record, a copy) must not be
    // deleted by Qt along with the scene's children.
    for (Layer* layer : findChildren<Layer*>(QString(), Qt::FindDirectChildrenOnly))
        layer->setParent(nullptr);
    d->layers.clear();
}

QList<std::shared_ptr<Layer>> Scene::layers() const
{
    return d->layers;
}

int Scene::numLayers() const
{
    return int(d->layers.size());
}

std::shared_ptr<Layer> Scene::layer(int index) const
{
    if (index < 0 || index >= d->layers.size())
        return nullptr;
    return d->layers.at(index);
}

int Scene::addLayer(std::shared_ptr<Layer> const& layer)
{
    if (!layer)
        return -1;
    layer->setParent(this);
    d->layers.append(layer);
    return int(d->layers.size()) - 1;
}

std::shared_ptr<LayerItem> Scene::lookupLayerItem(DrawingRef const& ref, int* layer,
                                                  int* frame) const
{
    if (ref.layer.isNull() || ref.drawing.isNull())
        return nullptr;
    for (qsizetype l = 0; l < d->layers.size(); ++l) {
        Layer* const candidate = d->layers.at(l).get();
        if (candidate->identifier() != ref.layer)
            continue;
        auto* const visual = qobject_cast<VisualLayer*>(candidate);
        if (!visual)
            continue;
        QList<std::shared_ptr<LayerItem>> const& cells = visual->frames();
        for (qsizetype i = 0; i < cells.size(); ++i) {
            if (cells.at(i)->identifier != ref.drawing)
                continue;
            if (layer)
                *layer = int(l);
            if (frame)
                *frame = int(i) + 1;
            return cells.at(i);
        }
    }
    return nullptr;
}

bool Scene::hasDrawing(DrawingRef ref, int* layer, int* frame) const
{
    return lookupLayerItem(ref, layer, frame) != nullptr;
}

} // namespace Model
