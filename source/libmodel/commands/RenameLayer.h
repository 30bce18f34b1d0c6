#pragma once

#include <QPointer>
#include <QString>
#include <QUndoCommand>

class QAbstractItemModel;

namespace Commands {

// A layer's new name, through the item model's header.
class RenameLayer : public QUndoCommand
{
public:
    RenameLayer(QAbstractItemModel* model, int layer, QString name,
                QUndoCommand* parent = nullptr);
    ~RenameLayer() override;

    void undo() override;
    void redo() override;

private:
    QPointer<QAbstractItemModel> m_model;
    int m_layer;
    QString m_newName;
    QString m_oldName;
};

} // namespace Commands
