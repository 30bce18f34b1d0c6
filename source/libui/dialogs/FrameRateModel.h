#pragma once

#include "dialogs/SceneSettingsListModel.h"

namespace UI {

// The frame-rate presets: "name|frames per second".
class FrameRateModel : public SceneSettingsListModel
{
    Q_OBJECT

public:
    static const QStringList presets;

    explicit FrameRateModel(QObject* parent = nullptr);
    FrameRateModel(const QList<QString>& rows, QObject* parent = nullptr);

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
};

} // namespace UI
