#pragma once

#include <QUndoCommand>

#include <memory>

namespace Model {
class FloatingSelection;
class KWScene;
} // namespace Model

namespace Commands {

// Installs a floating selection on the scene; redo and undo swap it with the
// one the scene holds.
class FloatingSelectionNew : public QUndoCommand
{
public:
    FloatingSelectionNew(Model::KWScene* scene,
                         std::unique_ptr<Model::FloatingSelection> floatingSelection,
                         QUndoCommand* parent = nullptr);
    ~FloatingSelectionNew() override;

    void undo() override;
    void redo() override;

private:
    void swap();

    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Commands
