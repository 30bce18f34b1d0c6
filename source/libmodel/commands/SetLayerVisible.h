#pragma once

#include "commands/LayerFlagCommand.h"

namespace Commands {

// Shows or hides a visual layer.
class SetLayerVisible : public LayerFlagCommand
{
public:
    SetLayerVisible(QAbstractItemModel* model, int layer, bool flag, QUndoCommand* parent = nullptr);
    ~SetLayerVisible() override;
};

} // namespace Commands
