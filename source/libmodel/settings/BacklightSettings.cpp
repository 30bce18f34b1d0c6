#include "settings/BacklightSettings.h"

namespace Model {

// Setting A is left empty on purpose: the settings store resets it before reading
// it, so a loaded record carries A's defaults wherever nothing was stored.
BacklightSettings::BacklightSettings()
{
    resetSettingB();
}

void BacklightSettings::resetSettingA()
{
    settingA.opacityLevelsBefore = {0.3, 0.2, 0.15, 0.0};
    settingA.opacityLevelsAfter = {0.3, 0.2, 0.15, 0.0};
    settingA.hueShift = BacklightSetting::UseHueShift;
    settingA.showOption = BacklightSetting::StopAtEnds;
    settingA.layers = BacklightSetting::BacklightVisibleLayers;
}

void BacklightSettings::resetSettingB()
{
    settingB.opacityLevelsBefore = {0.3, 0.0, 0.0, 0.0};
    settingB.opacityLevelsAfter = {0.3, 0.0, 0.0, 0.0};
    settingB.hueShift = BacklightSetting::UseHueShift;
    settingB.showOption = BacklightSetting::StopAtEnds;
    settingB.layers = BacklightSetting::BacklightVisibleLayers;
}

bool BacklightSettings::operator==(const BacklightSettings& other) const
{
    return enabled == other.enabled && current == other.current && settingA == other.settingA
        && settingB == other.settingB && onlyKeyFrames == other.onlyKeyFrames;
}

} // namespace Model
