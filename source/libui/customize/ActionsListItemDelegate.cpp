#include "customize/ActionsListItemDelegate.h"

#include "customize/ActionsList.h"

#include <QPainter>

namespace UI {

namespace {
const QColor bandColour(43, 41, 39, 128);
}

bool ActionsListItemDelegate::isSectionHeader(const QModelIndex& index)
{
    return index.data(ActionsList::SeparatorRole).toBool()
           && !index.data(Qt::DisplayRole).toString().isEmpty();
}

bool ActionsListItemDelegate::isDivider(const QModelIndex& index)
{
    return index.data(ActionsList::SeparatorRole).toBool()
           && index.data(Qt::DisplayRole).toString().isEmpty();
}

QSize ActionsListItemDelegate::sizeHint(const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    if (isSectionHeader(index))
        size.setHeight(50);
    else if (isDivider(index))
        size.setHeight(19);
    else if (!index.data(Qt::DisplayRole).toString().isEmpty())
        size.setHeight(40);
    else
        size.setHeight(35);
    return size;
}

void ActionsListItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    opt.state &= ~(QStyle::State_MouseOver | QStyle::State_Selected);
    opt.rect.setRight(opt.rect.right() - 12);
    if (isSectionHeader(index) || isDivider(index)) {
        const QRect band(option.rect.left(), option.rect.top() + 9, option.rect.width(),
                         option.rect.height() - 18);
        painter->fillRect(band, bandColour);
        if (isDivider(index))
            return;
        // The base painting fills in only what the item's own roles set.
        opt.font = QFont(QStringLiteral("Passion One"), 16);
        opt.palette.setColor(QPalette::Text, QColor(0x97, 0x93, 0x8F));
        opt.displayAlignment = Qt::AlignCenter;
        QStyledItemDelegate::paint(painter, opt, index);
        return;
    }
    opt.decorationPosition = QStyleOptionViewItem::Right;
    opt.decorationSize = QSize(36, 36);
    opt.displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
    QStyledItemDelegate::paint(painter, opt, index);
}

} // namespace UI
