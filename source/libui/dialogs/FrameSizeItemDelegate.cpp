#include "dialogs/FrameSizeItemDelegate.h"

#include "dialogs/SceneSettingsListModel.h"

#include <QApplication>
#include <QStyle>
#include <QWidget>

namespace UI {

FrameSizeItemDelegate::FrameSizeItemDelegate(QObject* parent)
    : SceneSettingsItemDelegate(parent)
{
}

FrameSizeItemDelegate::~FrameSizeItemDelegate() = default;

QString FrameSizeItemDelegate::valueText(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QSize size = index.data(SceneSettingsListModel::SizeRole).toSize();
    QString w = tr("width");
    QString h = tr("height");
    if (option.widget && size.width() >= 0 && size.height() >= 0) {
        w = option.widget->locale().toString(size.width());
        h = option.widget->locale().toString(size.height());
    }
    return tr("%1 x %2", "resolution (width x height)").arg(w, h);
}

void FrameSizeItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                  const QModelIndex& index) const
{
    if (isSeparator(index))
        SceneSettingsItemDelegate::paint(painter, option, index);
    else
        paintNameAndValue(painter, option, index, valueText(option, index), m_nameRatio);
}

QSize FrameSizeItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    if (isSeparator(index))
        return SceneSettingsItemDelegate::sizeHint(option, index);
    const auto [name, value] = partSizes(option, index, valueText(option, index));
    return QSize(name.width() + value.width() + 100, std::max(name.height(), value.height()));
}

} // namespace UI
