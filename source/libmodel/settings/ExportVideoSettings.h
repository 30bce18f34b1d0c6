#pragma once

#include "settings/ExportSettings.h"

#include <QHash>
#include <QMetaType>
#include <QString>

namespace Model {

// Options of a movie export.
class ExportVideoSettings : public ExportSettings
{
    Q_GADGET

public:
    enum VideoFormat { GIF, MP4, ProRes };
    Q_ENUM(VideoFormat)

    VideoFormat videoFormat = MP4;
    bool includeAlpha = true;
    bool includeAudio = false;
    // Filled per export by the caller and never remembered by the settings store.
    bool audioAvailable = false;
    QHash<QString, QString> metadata;
};

} // namespace Model

Q_DECLARE_METATYPE(Model::ExportVideoSettings)
