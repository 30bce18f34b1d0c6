#include "panels/DialGeometry.h"

#include <QRectF>
#include <QtMath>

#include <cmath>

namespace UI::DialGeometry {

QPainterPath sectorTemplate(QPointF centre, double outerRadius, double innerRadius)
{
    QPainterPath ring;
    ring.addEllipse(centre, outerRadius, outerRadius);
    QPainterPath hub;
    hub.addEllipse(centre, innerRadius, innerRadius);
    ring = ring.subtracted(hub);

    QPainterPath wedge;
    wedge.moveTo(centre);
    wedge.arcTo(QRectF(centre.x() - outerRadius, centre.y() - outerRadius, 2 * outerRadius,
                       2 * outerRadius),
                -22.5, 45);
    wedge.closeSubpath();
    return ring.intersected(wedge).translated(-centre);
}

double snapAngle(double angle)
{
    return qRound(angle * 4 / M_PI) * M_PI / 4;
}

QPainterPath turnedSector(const QPainterPath& sectorTemplate, double snappedAngle,
                          QPointF centre)
{
    QPainterPath sector = sectorTemplate;
    for (int i = 0; i < sector.elementCount(); ++i) {
        const QPainterPath::Element e = sector.elementAt(i);
        const double rho = std::hypot(e.x, -e.y);
        const double theta = std::atan2(-e.y, e.x);
        sector.setElementPositionAt(i, rho * std::cos(theta + snappedAngle),
                                    -rho * std::sin(theta + snappedAngle));
    }
    return sector.translated(centre);
}

int slotForAngle(double angle)
{
    const int slot = qRound(snapAngle(angle) * -8 / (2 * M_PI)) % slotCount;
    return slot < 0 ? slot + slotCount : slot;
}

double directionTo(QPointF centre, QPointF p)
{
    return std::atan2(centre.y() - p.y(), p.x() - centre.x());
}

QPointF iconCentre(QPointF centre, double radius, int slot)
{
    const double a = slot * M_PI / 4;
    return centre + radius * QPointF(std::cos(a), std::sin(a));
}

} // namespace UI::DialGeometry
