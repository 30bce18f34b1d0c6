#pragma once

#include <QUndoCommand>

#include <memory>

namespace Model {
class Scene;
}

namespace Commands {

// Where the sound starts, in frames. Successive changes merge, and an offset
// changed back to where it began leaves no entry.
class SetAudioOffset : public QUndoCommand
{
public:
    SetAudioOffset(Model::Scene* scene, double offsetFrames, QUndoCommand* parent = nullptr);
    ~SetAudioOffset() override;

    void undo() override;
    void redo() override;
    int id() const override;
    bool mergeWith(QUndoCommand const* other) override;

private:
    void updateText();

    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Commands
