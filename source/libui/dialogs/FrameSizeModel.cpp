#include "dialogs/FrameSizeModel.h"

#include <QSize>

namespace UI {

const QStringList FrameSizeModel::presets = {
    QStringLiteral("Small Square|512|512"),
    QStringLiteral("Large Square|1024|1024"),
    QStringLiteral("---"),
    QStringLiteral("720p HD (16:9)|1280|720"),
    QStringLiteral("1080p HD (16:9)|1920|1080"),
    QStringLiteral("---"),
    QStringLiteral("2K|2048|1024"),
    QStringLiteral("4K Ultra HD|3840|2160"),
    QStringLiteral("4K Digital Cinema|4096|2160"),
    QStringLiteral("---"),
    QStringLiteral("Horizontal Pan Example|5000|1080"),
    QStringLiteral("Vertical Pan Example|1920|5000"),
    QStringLiteral("---"),
    QStringLiteral("Custom|width|height"),
};

FrameSizeModel::FrameSizeModel(QObject* parent)
    : SceneSettingsListModel(presets, parent)
{
}

FrameSizeModel::FrameSizeModel(const QList<QString>& rows, QObject* parent)
    : SceneSettingsListModel(rows, parent)
{
}

QVariant FrameSizeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != ValueRole && role != HeightRole && role != SizeRole))
        return SceneSettingsListModel::data(index, role);
    const QStringList p = parts(index);
    bool wOk = false, hOk = false;
    const int w = p.size() >= 3 ? p[1].toInt(&wOk) : 0;
    const int h = p.size() >= 3 ? p[2].toInt(&hOk) : 0;
    if (role == ValueRole)
        return wOk ? w : 0;
    if (role == HeightRole)
        return hOk ? h : 0;
    return wOk && hOk ? QSize(w, h) : QSize(-1, -1);
}

} // namespace UI
