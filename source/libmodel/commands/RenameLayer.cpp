#include "commands/RenameLayer.h"

#include "commands/CommandRules.h"

#include <QAbstractItemModel>

namespace Commands {

RenameLayer::RenameLayer(QAbstractItemModel* model, int layer, QString name, QUndoCommand* parent)
    : QUndoCommand(parent)
    , m_model(model)
    , m_layer(layer)
    , m_newName(std::move(name))
{
    setText(commandText("Rename Layer", "Commands::RenameLayer"));
    if (model)
        m_oldName = model->headerData(layer, Qt::Horizontal, Qt::DisplayRole).toString();
    if (!model || m_newName.isEmpty() || m_newName == m_oldName)
        setObsolete(true);
}

RenameLayer::~RenameLayer() = default;

void RenameLayer::redo()
{
    if (m_model)
        m_model->setHeaderData(m_layer, Qt::Horizontal, m_newName, Qt::DisplayRole);
}

void RenameLayer::undo()
{
    if (m_model)
        m_model->setHeaderData(m_layer, Qt::Horizontal, m_oldName, Qt::DisplayRole);
}

} // namespace Commands
