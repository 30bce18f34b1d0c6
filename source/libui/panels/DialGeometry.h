#pragma once

#include <QPainterPath>
#include <QPointF>

namespace UI {

// The ring geometry shared by the live speed dial and its editor: eight slots,
// slot k lying k x 45 degrees clockwise from the right on screen.
namespace DialGeometry {

constexpr int slotCount = 8;

// The ring sector between the two radii spanning -22.5 to +22.5 degrees,
// centred on the origin.
QPainterPath sectorTemplate(QPointF centre, double outerRadius, double innerRadius);
// A direction (radians, counter-clockwise with y up) snapped to a multiple of
// pi/4, halves away from zero.
double snapAngle(double angle);
// The template turned to an already snapped angle and moved to the centre.
QPainterPath turnedSector(const QPainterPath& sectorTemplate, double snappedAngle,
                          QPointF centre);
// The slot a direction points at, 0..7.
int slotForAngle(double angle);
// The direction from the centre to p on screen, counter-clockwise with y up.
double directionTo(QPointF centre, QPointF p);
// Where slot k's icon is centred.
QPointF iconCentre(QPointF centre, double radius, int slot);

} // namespace DialGeometry

} // namespace UI
