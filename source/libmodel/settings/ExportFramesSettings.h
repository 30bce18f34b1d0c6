#pragma once

#include "settings/ExportSettings.h"

#include <QMetaType>

namespace Model {

// Options of an image-sequence export.
class ExportFramesSettings : public ExportSettings
{
    Q_GADGET

public:
    enum Clones { ExcludeClones, IncludeClones, IncludeClonesSimpleSequence };
    Q_ENUM(Clones)

    enum ImageFormat { PNG, OpenEXR };
    Q_ENUM(ImageFormat)

    Clones clones = ExcludeClones;
    ImageFormat imageFormat = PNG;
    bool combineLayers = false;
    bool makeAllLinesBlack = false;
    bool includeAlpha = true;
};

} // namespace Model

Q_DECLARE_METATYPE(Model::ExportFramesSettings)
