#pragma once

#include "settings/KW.h"

#include <QSize>
#include <QUndoCommand>

#include <memory>

class QWidget;

namespace Model {
class KWScene;
}

namespace Commands {

// Resizes every drawing of the scene to a new frame size with a fit mode,
// showing progress on the given widget when it takes long. Undo resizes
// back, keeping what the way there cut off when it kept the aspect.
class ChangeFrameSize : public QUndoCommand
{
public:
    ChangeFrameSize(Model::KWScene* scene, QSize const& size, KW::FitMode fitMode,
                    QWidget* parentWidget, QUndoCommand* parent = nullptr);
    ~ChangeFrameSize() override;

    void undo() override;
    void redo() override;

private:
    void resize(QSize const& size, KW::FitMode fitMode, bool sheet);

    struct Data;
    std::unique_ptr<Data> d;
};

} // namespace Commands
