#pragma once

#include <QListWidget>

class QAction;

namespace UI {

// The list of every action that may go on the tool bar or a speed dial,
// grouped in titled sections. A drag source only: it takes no drops and
// cannot be reordered.
class ActionsList : public QListWidget
{
    Q_OBJECT

public:
    // Item data: the separator flag and the entry name.
    static constexpr int SeparatorRole = Qt::UserRole;
    static constexpr int NameRole = Qt::UserRole + 1;

    explicit ActionsList(QWidget* parent = nullptr);

    void addEmptyItem();
    void addSectionHeader(const QString& title);
    void addAction(QAction* action);
    void addDivider();
    // The MIME data a drag of a row would carry, or null when the row cannot
    // be dragged.
    QMimeData* dragData(const QListWidgetItem* item) const;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
};

} // namespace UI
