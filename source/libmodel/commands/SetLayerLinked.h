#pragma once

#include "commands/LayerFlagCommand.h"

namespace Commands {

// Links a layer to the others for cell edits, or unlinks it.
class SetLayerLinked : public LayerFlagCommand
{
public:
    SetLayerLinked(QAbstractItemModel* model, int layer, bool flag, QUndoCommand* parent = nullptr);
    ~SetLayerLinked() override;
};

} // namespace Commands
