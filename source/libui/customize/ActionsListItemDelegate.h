#pragma once

#include <QStyledItemDelegate>

namespace UI {

// Paints the action list's rows: section headers and dividers as dark bands,
// actions with their framed icon at the right and their text beside it.
class ActionsListItemDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;

    static bool isSectionHeader(const QModelIndex& index);
    static bool isDivider(const QModelIndex& index);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

} // namespace UI
