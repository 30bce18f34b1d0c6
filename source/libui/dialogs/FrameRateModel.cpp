#include "dialogs/FrameRateModel.h"

namespace UI {

const QStringList FrameRateModel::presets = {
    QStringLiteral("Cinema (on threes)|8"),
    QStringLiteral("---"),
    QStringLiteral("Cinema (on twos)|12"),
    QStringLiteral("PAL Video (on twos)|12.5"),
    QStringLiteral("NTSC Video (on twos)|15"),
    QStringLiteral("---"),
    QStringLiteral("Cinema|24"),
    QStringLiteral("PAL Video|25"),
    QStringLiteral("NTSC Video|30"),
    QStringLiteral("---"),
    QStringLiteral("Cinema (high)|48"),
    QStringLiteral("PAL Video (high)|50"),
    QStringLiteral("NTSC Video (high)|60"),
    QStringLiteral("---"),
    QStringLiteral("Custom|"),
};

FrameRateModel::FrameRateModel(QObject* parent)
    : SceneSettingsListModel(presets, parent)
{
}

FrameRateModel::FrameRateModel(const QList<QString>& rows, QObject* parent)
    : SceneSettingsListModel(rows, parent)
{
}

QVariant FrameRateModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || role != ValueRole)
        return SceneSettingsListModel::data(index, role);
    const QStringList p = parts(index);
    if (p.size() < 2)
        return 0;
    bool ok = false;
    const double fps = p[1].toDouble(&ok);
    return ok ? fps : 0.1;
}

} // namespace UI
