#pragma once

#include <QStringListModel>

namespace UI {

// Preset rows for the scene settings dialog's combo boxes. Each row is a
// "|"-joined string: a name followed by its values; a name of "---" makes a
// separator (shown as a line, not choosable) and "Custom" the row for typed
// values.
class SceneSettingsListModel : public QStringListModel
{
    Q_OBJECT

public:
    enum Role {
        SeparatorRole = Qt::UserRole,
        CustomRole = Qt::UserRole + 1,
        // Frame sizes: width; frame rates: frames per second.
        ValueRole = Qt::UserRole + 2,
        HeightRole = Qt::UserRole + 3,
        SizeRole = Qt::UserRole + 4,
    };

    explicit SceneSettingsListModel(QObject* parent = nullptr);
    SceneSettingsListModel(const QList<QString>& rows, QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

protected:
    QStringList parts(const QModelIndex& index) const;
};

} // namespace UI
