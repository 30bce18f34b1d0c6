#pragma once

#include "dialogs/SceneSettingsListModel.h"

namespace UI {

// The frame-size presets: "name|width|height".
class FrameSizeModel : public SceneSettingsListModel
{
    Q_OBJECT

public:
    static const QStringList presets;

    explicit FrameSizeModel(QObject* parent = nullptr);
    FrameSizeModel(const QList<QString>& rows, QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
};

} // namespace UI
