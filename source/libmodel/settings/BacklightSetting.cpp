#include "settings/BacklightSetting.h"

namespace Model {

bool BacklightSetting::operator==(const BacklightSetting& other) const
{
    return opacityLevelsBefore == other.opacityLevelsBefore
        && opacityLevelsAfter == other.opacityLevelsAfter && hueShift == other.hueShift
        && showOption == other.showOption && layers == other.layers;
}

} // namespace Model
