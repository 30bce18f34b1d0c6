#pragma once

#include "settings/ExportSettings.h"

#include <QMetaType>

namespace Model {

// Options of an exposure-sheet package export.
class ExportExposureSheetSettings : public ExportSettings
{
    Q_GADGET

public:
    enum Format { OCA };
    Q_ENUM(Format)

    enum ImageFormat { PNG, OpenEXR };
    Q_ENUM(ImageFormat)

    Format format = OCA;
    ImageFormat imageFormat = PNG;
    bool includeAudio = false;
};

} // namespace Model

Q_DECLARE_METATYPE(Model::ExportExposureSheetSettings)
