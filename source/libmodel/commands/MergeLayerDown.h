#pragma once

#include <QUndoCommand>

#include <memory>

namespace Model {
class KWScene;
}

namespace Commands {

// Merges a draw layer into the one shown below it: a copy of the lower layer
// with the upper layer's drawings put on top replaces both. Undo puts the
// two original layer objects back where they were shown.
class MergeLayerDown : public QUndoCommand
{
public:
    MergeLayerDown(Model::KWScene* scene, int layer, QUndoCommand* parent = nullptr);
    ~MergeLayerDown() override;

    void undo() override;
    void redo() override;

private:
    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Commands
