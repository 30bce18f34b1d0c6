#pragma once

#include "settings/KW.h"

#include <QPainterPath>
#include <QRectF>

namespace UI {

// The composition guides laid over the paper, as paths in paper
// coordinates over a frame rectangle. Every line is a sub-path of its own.
class CanvasGrid
{
public:
    static QPainterPath path(KW::GridType type, const QRectF& frame);

    // n - 1 vertical and n - 1 horizontal lines at equal steps; none for
    // n <= 1.
    static void addGrid(QPainterPath& path, const QRectF& frame, int n);
};

} // namespace UI
