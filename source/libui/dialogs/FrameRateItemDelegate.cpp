#include "dialogs/FrameRateItemDelegate.h"

#include "dialogs/SceneSettingsListModel.h"

#include <QApplication>
#include <QStyle>
#include <QWidget>

namespace UI {

FrameRateItemDelegate::FrameRateItemDelegate(QObject* parent)
    : SceneSettingsItemDelegate(parent)
{
}

FrameRateItemDelegate::~FrameRateItemDelegate() = default;

QString FrameRateItemDelegate::valueText(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (!option.widget || index.data(SceneSettingsListModel::CustomRole).toBool())
        return QString();
    return option.widget->locale().toString(index.data(SceneSettingsListModel::ValueRole).toDouble(), 'g', 6);
}

void FrameRateItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const
{
    if (isSeparator(index))
        SceneSettingsItemDelegate::paint(painter, option, index);
    else
        paintNameAndValue(painter, option, index, valueText(option, index), m_nameRatio);
}

QSize FrameRateItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (isSeparator(index))
        return SceneSettingsItemDelegate::sizeHint(option, index);
    const auto [name, value] = partSizes(option, index, valueText(option, index));
    QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, option.widget);
    return QSize(name.width() + value.width() - 2 * margin - 2, std::max(name.height(), value.height()));
}

} // namespace UI
