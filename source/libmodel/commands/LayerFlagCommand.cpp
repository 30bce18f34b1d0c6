#include "commands/LayerFlagCommand.h"

#include <QAbstractItemModel>

namespace Commands {

LayerFlagCommand::LayerFlagCommand(QAbstractItemModel* model, int layer, bool flag, int role,
                                   QUndoCommand* parent)
    : QUndoCommand(parent)
    , m_model(model)
    , m_layer(layer)
    , m_flag(flag)
    , m_role(role)
{
    if (!model || model->headerData(layer, Qt::Horizontal, role).toBool() == flag)
        setObsolete(true);
}

LayerFlagCommand::~LayerFlagCommand() = default;

void LayerFlagCommand::redo()
{
    if (!isObsolete() && m_model)
        m_model->setHeaderData(m_layer, Qt::Horizontal, m_flag, m_role);
}

void LayerFlagCommand::undo()
{
    if (!isObsolete() && m_model)
        m_model->setHeaderData(m_layer, Qt::Horizontal, !m_flag, m_role);
}

} // namespace Commands
