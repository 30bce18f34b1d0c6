#include "panels/ToolSettingsShadowEffect.h"

#include "common/PanelShadow.h"
#include "panels/ToolSettings.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

namespace UI {


struct ToolSettingsShadowEffect::Private
{
    QLinearGradient linear;
    QRadialGradient radial{QPointF(0, 0), 16};
    // Recorded by boundingRectFor(), which is const for its callers.
    mutable QRectF shadowRect;
};

ToolSettingsShadowEffect::ToolSettingsShadowEffect(QObject* parent)
    : QGraphicsEffect(parent), d(std::make_unique<Private>())
{
    PanelShadow::setStops(d->linear);
    PanelShadow::setStops(d->radial);
}

ToolSettingsShadowEffect::~ToolSettingsShadowEffect() = default;

bool ToolSettingsShadowEffect::isPopup() const
{
    const auto* panel = qobject_cast<const ToolSettings*>(parent());
    return panel && panel->isPopup();
}

QRectF ToolSettingsShadowEffect::boundingRectFor(const QRectF& rect) const
{
    d->shadowRect = QRectF(0, 2, rect.width(), rect.height());
    return rect.adjusted(-10, isPopup() ? -8 : 0, 10, 12);
}

void ToolSettingsShadowEffect::draw(QPainter* painter)
{
    const bool popup = isPopup();
    const double x = d->shadowRect.x();
    const double y = d->shadowRect.y();
    const double w = d->shadowRect.width();
    const double h = d->shadowRect.height();
    painter->save();
    painter->setPen(Qt::NoPen);

    const auto band = [&](QRectF area, QPointF from, QPointF to) {
        PanelShadow::fillBand(painter, d->linear, area, from, to);
    };
    const QRectF left = popup ? QRectF(x - 10, y + 6, 16, h - 12) : QRectF(x - 10, y - 2, 16, h - 4);
    band(left, QPointF(x + 6, left.top()), QPointF(x - 10, left.top()));
    const QRectF right =
        popup ? QRectF(x + w - 6, y + 6, 16, h - 12) : QRectF(x + w - 6, y - 2, 16, h - 4);
    band(right, QPointF(x + w - 6, right.top()), QPointF(x + w + 10, right.top()));
    if (popup)
        band(QRectF(x + 6, y - 10, w - 12, 16), QPointF(x, y + 6), QPointF(x, y - 10));
    band(QRectF(x + 6, y + h - 6, w - 12, 16), QPointF(x, y + h - 6), QPointF(x, y + h + 10));

    const auto corner = [&](QPointF topLeft, QPointF centre) {
        PanelShadow::fillCorner(painter, d->radial, QRectF(topLeft, QSizeF(16, 16)), centre);
    };
    if (popup) {
        corner(QPointF(x - 10, y - 10), QPointF(x + 6, y + 6));
        corner(QPointF(x + w - 6, y - 10), QPointF(x + w - 6, y + 6));
    }
    corner(QPointF(x - 10, y + h - 6), QPointF(x + 6, y + h - 6));
    corner(QPointF(x + w - 6, y + h - 6), QPointF(x + w - 6, y + h - 6));
    painter->restore();

    QPoint offset;
    const QPixmap source = sourcePixmap(Qt::LogicalCoordinates, &offset, QGraphicsEffect::NoPad);
    painter->drawPixmap(offset, source);
}

} // namespace UI
