#pragma once

#include "scene/Layer.h"

#include <QUndoCommand>

#include <memory>

namespace Model {
class Scene;
}

namespace Commands {

// A new empty stroke or reference layer, shown just above the target layer
// (the active one for -1) and made active.
class NewLayer : public QUndoCommand
{
public:
    NewLayer(Model::Scene* scene, Model::Layer::LayerType type, int targetLayer = -1,
             QUndoCommand* parent = nullptr);
    ~NewLayer() override;

    void undo() override;
    void redo() override;

private:
    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Commands
