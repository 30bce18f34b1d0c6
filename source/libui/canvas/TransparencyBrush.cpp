#include "canvas/TransparencyBrush.h"

#include <QPainter>
#include <QPainterPath>

namespace UI {

QPixmap TransparencyBrush::checkerTile(int side, const QColor& color)
{
    QPixmap tile(side, side);
    tile.fill(color.lighter(105));
    const double half = side / 2.0;
    QPainterPath bands;
    bands.setFillRule(Qt::OddEvenFill);
    for (double y = half; y < side; y += side)
        bands.addRect(0, y, side, half);
    for (double x = half; x < side; x += side)
        bands.addRect(x, 0, half, side);
    QPainter painter(&tile);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color.darker(105));
    painter.drawPath(bands);
    return tile;
}

QBrush TransparencyBrush::make(KW::TransparencyType type)
{
    using T = KW::TransparencyType;
    switch (type) {
    case T::TransparencySmallCheckersLight:
        return QBrush(checkerTile(10, QColor(Qt::lightGray)));
    case T::TransparencySmallCheckersDark:
        return QBrush(checkerTile(10, QColor(Qt::darkGray)));
    case T::TransparencyLargeCheckersLight:
        return QBrush(checkerTile(30, QColor(Qt::lightGray)));
    case T::TransparencyLargeCheckersDark:
        return QBrush(checkerTile(30, QColor(Qt::darkGray)));
    case T::TransparencyWhite:
        return QBrush(Qt::white);
    case T::TransparencyLightGrey:
        return QBrush(Qt::lightGray);
    case T::TransparencyDarkGrey:
        return QBrush(Qt::darkGray);
    case T::TransparencyBlack:
        return QBrush(Qt::black);
    }
    return QBrush(Qt::white);
}

} // namespace UI
