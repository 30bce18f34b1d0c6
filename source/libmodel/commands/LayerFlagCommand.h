#pragma once

#include <QPointer>
#include <QUndoCommand>

class QAbstractItemModel;

namespace Commands {

// Base of the commands that switch one boolean header role of a layer:
// redo writes the flag, undo its opposite. Obsolete when the layer already
// has the flag.
class LayerFlagCommand : public QUndoCommand
{
public:
    ~LayerFlagCommand() override;

    void undo() override;
    void redo() override;

protected:
    LayerFlagCommand(QAbstractItemModel* model, int layer, bool flag, int role,
                     QUndoCommand* parent);

private:
    QPointer<QAbstractItemModel> m_model;
    int m_layer;
    bool m_flag;
    int m_role;
};

} // namespace Commands
