#include "common/UIScale.h"

#include "settings/Settings.h"

namespace UI {

float uiScale()
{
    return Model::Settings::instance()->UIScaleFraction();
}

int scaled(double base)
{
    return scaled(base, uiScale());
}

int scaled(double base, float scale)
{
    // The product is taken in single precision, as the scale itself is, so
    // that e.g. 70 x 1.25 truncates to 87 as a float would.
    return static_cast<int>(static_cast<float>(base) * scale);
}

} // namespace UI
