#pragma once

#include "tools/Tool.h"

#include <QUndoCommand>

#include <memory>

namespace Model {
class KWScene;
}

namespace Commands {

// A change of the current pen, eraser or floating-selection tool, undone
// back to the one before. Successive changes merge.
class ChangeToolType : public QUndoCommand
{
public:
    ChangeToolType(Model::KWScene* scene, Model::Tool::Type type, QUndoCommand* parent = nullptr);
    ~ChangeToolType() override;

    void undo() override;
    void redo() override;
    int id() const override;
    bool mergeWith(QUndoCommand const* other) override;

private:
    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Commands
