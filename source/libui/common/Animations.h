#pragma once

namespace UI {

// One switch for every widget animation (scrolling, gizmos opening and
// closing). Tests turn animations off so that end states are reached at once;
// a disabled animation is given a duration of 0.
class Animations
{
public:
    static bool enabled();
    static void setEnabled(bool enabled);
    // The duration an animation of nominal length `ms` should run.
    static int duration(int ms);
};

} // namespace UI
