#pragma once

namespace UI {

// The canvas's zoom presets: the powers of two from 1/16 to 16 with the
// midpoint between each pair, and 24 after 16. A level within 0.005 of a
// rung counts as on it, so a view a hair above 1 zooms in to 1.5.
class ZoomLadder
{
public:
    static double nextLevelIn(double zoomLevel);
    static double nextLevelOut(double zoomLevel);
};

} // namespace UI
