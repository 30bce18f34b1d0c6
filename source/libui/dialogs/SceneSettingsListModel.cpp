#include "dialogs/SceneSettingsListModel.h"

#include <QSize>

namespace UI {

namespace {
const QString separatorName = QStringLiteral("---");
const QString customName = QStringLiteral("Custom");
} // namespace

SceneSettingsListModel::SceneSettingsListModel(QObject* parent)
    : QStringListModel(parent)
{
}

SceneSettingsListModel::SceneSettingsListModel(const QList<QString>& rows, QObject* parent)
    : QStringListModel(rows, parent)
{
}

QStringList SceneSettingsListModel::parts(const QModelIndex& index) const
{
    return QStringListModel::data(index, Qt::DisplayRole).toString().split(QLatin1Char('|'));
}

QVariant SceneSettingsListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QStringListModel::data(index, role);
    switch (role) {
    case Qt::DisplayRole: {
        const QString name = parts(index).value(0);
        if (name == customName)
            return tr("Custom");
        return name == separatorName ? QString() : name;
    }
    case SeparatorRole:
        return parts(index).value(0) == separatorName;
    case CustomRole:
        return parts(index).value(0) == customName;
    default:
        return QStringListModel::data(index, role);
    }
}

Qt::ItemFlags SceneSettingsListModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QStringListModel::flags(index);
    if (index.isValid() && parts(index).value(0) == separatorName)
        f &= ~Qt::ItemIsEnabled;
    return f;
}

} // namespace UI
