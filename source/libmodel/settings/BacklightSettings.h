#pragma once

#include "settings/BacklightSetting.h"

#include <QMetaType>
#include <QObject>

namespace Model {

// The light table's whole configuration: two alternative settings A and B,
// which of them is in use, and the switches that are not remembered between runs.
class BacklightSettings
{
    Q_GADGET

public:
    enum BacklightSet { BacklightSettingA, BacklightSettingB };
    Q_ENUM(BacklightSet)

    BacklightSettings();

    void resetSettingA();
    void resetSettingB();

    bool operator==(const BacklightSettings& other) const;
    bool operator!=(const BacklightSettings& other) const { return !(*this == other); }

    bool enabled = false;
    BacklightSet current = BacklightSettingA;
    BacklightSetting settingA;
    BacklightSetting settingB;
    bool onlyKeyFrames = false;
};

} // namespace Model

Q_DECLARE_METATYPE(Model::BacklightSettings)
