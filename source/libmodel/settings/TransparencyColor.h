#pragma once

#include "settings/KW.h"

#include <QColor>

namespace Model {

// The one flat colour that stands for a transparency display: light or dark
// grey for the checkers and greys, white or black for those. Used where a
// pattern cannot be shown, e.g. a package's background colour or the
// reference display's paper.
QColor transparencyColor(KW::TransparencyType type);

} // namespace Model
