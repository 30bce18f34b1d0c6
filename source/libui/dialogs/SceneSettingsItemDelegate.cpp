#include "dialogs/SceneSettingsItemDelegate.h"

#include "dialogs/SceneSettingsListModel.h"

#include <QApplication>
#include <QFrame>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

namespace UI {

namespace {

QStyle* styleOf(const QStyleOptionViewItem& option)
{
    return option.widget ? option.widget->style() : QApplication::style();
}

} // namespace

SceneSettingsItemDelegate::SceneSettingsItemDelegate(QObject* parent)
    : QStyledItemDelegate(parent)
{
}

bool SceneSettingsItemDelegate::isSeparator(const QModelIndex& index)
{
    return index.data(SceneSettingsListModel::SeparatorRole).toBool();
}

void SceneSettingsItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                      const QModelIndex& index) const
{
    if (!isSeparator(index)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionFrame frame;
    if (option.widget)
        frame.initFrom(option.widget);
    frame.rect = option.rect;
    frame.state = option.state;
    frame.lineWidth = 1;
    frame.frameShape = QFrame::HLine;
    const QColor line = frame.palette.color(QPalette::Midlight);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        frame.palette.setColor(group, QPalette::WindowText, line);
    styleOf(option)->drawControl(QStyle::CE_ShapedFrame, &frame, painter, option.widget);
}

QSize SceneSettingsItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (isSeparator(index))
        return QSize(0, 7);
    return QStyledItemDelegate::sizeHint(option, index);
}

void SceneSettingsItemDelegate::initParts(const QStyleOptionViewItem& option, const QModelIndex& index,
                                          const QString& value, QStyleOptionViewItem& name,
                                          QStyleOptionViewItem& valueOption) const
{
    name = option;
    initStyleOption(&name, index);
    name.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
    valueOption = name;
    valueOption.text = value;
    const QColor placeholder = valueOption.palette.color(QPalette::PlaceholderText);
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        valueOption.palette.setColor(group, QPalette::Text, placeholder);
}

void SceneSettingsItemDelegate::paintNameAndValue(QPainter* painter, const QStyleOptionViewItem& option,
                                                  const QModelIndex& index, const QString& value,
                                                  double ratio) const
{
    QStyle* style = styleOf(option);
    if (option.state & QStyle::State_Selected) {
        QStyleOptionViewItem row = option;
        initStyleOption(&row, index);
        row.text.clear();
        style->drawControl(QStyle::CE_ItemViewItem, &row, painter, option.widget);
    }
    QStyleOptionViewItem name, val;
    initParts(option, index, value, name, val);
    const QRect r = option.rect;
    const int w = r.width();
    if (option.direction == Qt::RightToLeft) {
        const int split = int(w * (1.0 - ratio));
        val.rect = QRect(r.left(), r.top(), split, r.height());
        val.displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
        name.rect = QRect(r.left() + split, r.top(), w - split, r.height());
        name.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    } else {
        const int split = int(w * ratio);
        name.rect = QRect(r.left(), r.top(), split, r.height());
        name.displayAlignment = Qt::AlignRight | Qt::AlignVCenter;
        val.rect = QRect(r.left() + split, r.top(), w - split, r.height());
        val.displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
    }
    style->drawControl(QStyle::CE_ItemViewItem, &name, painter, option.widget);
    style->drawControl(QStyle::CE_ItemViewItem, &val, painter, option.widget);
}

std::pair<QSize, QSize> SceneSettingsItemDelegate::partSizes(const QStyleOptionViewItem& option,
                                                             const QModelIndex& index, const QString& value) const
{
    QStyleOptionViewItem name, val;
    initParts(option, index, value, name, val);
    QStyle* style = styleOf(option);
    return {style->sizeFromContents(QStyle::CT_ItemViewItem, &name, QSize(), option.widget),
            style->sizeFromContents(QStyle::CT_ItemViewItem, &val, QSize(), option.widget)};
}

} // namespace UI
