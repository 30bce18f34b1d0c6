#pragma once

#include "settings/KW.h"

#include <QSize>
#include <QUndoCommand>

class QWidget;

namespace Model {
class KWScene;
}

namespace Commands {

// The frame rate and the frame size changed together, as one entry.
class ChangeSceneSettings : public QUndoCommand
{
public:
    ChangeSceneSettings(Model::KWScene* scene, QSize const& size, KW::FitMode fitMode, double rate,
                        QWidget* parentWidget, QUndoCommand* parent = nullptr);
    ~ChangeSceneSettings() override;
};

} // namespace Commands
