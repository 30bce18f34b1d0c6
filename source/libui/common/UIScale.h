#pragma once

namespace UI {

// The interface scale, 1.0 unscaled, as the settings store gives it.
float uiScale();

// A base metric at the current scale, truncated toward zero to whole pixels,
// as every scaled widget computes its sizes.
int scaled(double base);
int scaled(double base, float scale);

} // namespace UI
