#include "common/SvgArt.h"

#include <QPainter>
#include <QSvgRenderer>

namespace UI {

void renderCentred(QPainter* painter, QSvgRenderer& art, QPointF centre, double scale)
{
    const QSizeF size(qRound(art.defaultSize().width() * scale),
                      qRound(art.defaultSize().height() * scale));
    art.render(painter, QRectF(centre - QPointF(size.width() / 2, size.height() / 2), size));
}

} // namespace UI
