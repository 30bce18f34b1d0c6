#pragma once

#include "settings/KW.h"

#include <QSize>
#include <QTransform>

namespace Model {

// How a point of a drawing moves when the frame changes from oldSize to
// newSize under a fit mode: the same for every drawing, so that whatever
// lies over the drawings (a floating selection, say) can follow them. The
// identity when the old frame has no extent.
QTransform frameFitTransform(QSize const& oldSize, QSize const& newSize, KW::FitMode fitMode);

} // namespace Model
