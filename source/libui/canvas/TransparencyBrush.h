#pragma once

#include "settings/KW.h"

#include <QBrush>
#include <QColor>
#include <QPixmap>

namespace UI {

// What the paper shows where a drawing is transparent: a checker pattern or
// a plain colour.
class TransparencyBrush
{
public:
    static QBrush make(KW::TransparencyType type);
    // A tile of side s from a colour: lighter ground, the bottom-left and
    // top-right quarters darker.
    static QPixmap checkerTile(int side, const QColor& color);
};

} // namespace UI
