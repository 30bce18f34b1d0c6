#pragma once

#include <QUndoCommand>

#include <memory>

namespace Model {
class KWScene;
}

namespace Commands {

// The scene's frame rate. Successive changes merge, and a rate changed back
// to where it began leaves no entry.
class SetFrameRate : public QUndoCommand
{
public:
    SetFrameRate(Model::KWScene* scene, double rate, QUndoCommand* parent = nullptr);
    ~SetFrameRate() override;

    void undo() override;
    void redo() override;
    int id() const override;
    bool mergeWith(QUndoCommand const* other) override;

private:
    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Commands
