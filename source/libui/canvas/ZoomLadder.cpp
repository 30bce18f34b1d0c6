#include "canvas/ZoomLadder.h"

#include <array>

namespace UI {

namespace {

constexpr std::array<double, 18> Rungs = {1.0 / 16, 3.0 / 32, 1.0 / 8, 3.0 / 16, 1.0 / 4, 3.0 / 8,
                                          1.0 / 2,  3.0 / 4,  1.0,     1.5,      2.0,     3.0,
                                          4.0,      6.0,      8.0,     12.0,     16.0,    24.0};
constexpr double Tolerance = 0.005;

} // namespace

double ZoomLadder::nextLevelIn(double zoomLevel)
{
    if (zoomLevel >= 16.0 - Tolerance)
        return 24.0;
    for (double rung : Rungs)
        if (rung - Tolerance > zoomLevel)
            return rung;
    return 24.0;
}

double ZoomLadder::nextLevelOut(double zoomLevel)
{
    if (zoomLevel < 1.0 / 16 + Tolerance)
        return 1.0 / 16;
    for (auto it = Rungs.rbegin(); it != Rungs.rend(); ++it)
        if (*it + Tolerance <= zoomLevel)
            return *it;
    return 1.0 / 16;
}

} // namespace UI
