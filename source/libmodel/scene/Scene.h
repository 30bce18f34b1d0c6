#pragma once

#include "scene/DrawingRef.h"

#include <QList>
#include <QObject>

#include <memory>

namespace Model {

class Layer;
class LayerItem;

// The open document. The scene owns its layers through shared pointers; each
// layer also has the scene as QObject parent so that it can reach it.
class Scene : public QObject
{
    Q_OBJECT

public:
    explicit Scene(QObject* parent = nullptr);
    ~Scene() override;

    QList<std::shared_ptr<Model::Layer>> layers() const;
    int numLayers() const;
    // Empty for an index outside the layer list.
    std::shared_ptr<Model::Layer> layer(int index) const;

    // Appends the layer, makes the scene its parent and returns its index.
    int addLayer(std::shared_ptr<Model::Layer> const& layer);

    // The cell named by the reference, or empty. The out-parameters, when
    // given, receive the layer index and the frame of a cell that is found
    // and are left alone otherwise.
    std::shared_ptr<Model::LayerItem> lookupLayerItem(Model::DrawingRef const& ref,
                                                      int* layer = nullptr,
                                                      int* frame = nullptr) const;
    bool hasDrawing(Model::DrawingRef ref, int* layer = nullptr, int* frame = nullptr) const;

private:
    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Model
