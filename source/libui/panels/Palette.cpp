#include "panels/Palette.h"

#include <QConicalGradient>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QTransform>

#include <QtMath>

#include <cmath>

namespace UI {

namespace {

QColor hsl(double h, double s, double l, double a)
{
    QColor c;
    c.setHslF(float(h), float(s), float(l), float(a));
    return c;
}

QPointF polar(QPointF centre, double radius, double screenAngle)
{
    return centre + radius * QPointF(std::cos(screenAngle), std::sin(screenAngle));
}

QPainterPath disc(QPointF centre, double radius)
{
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

} // namespace

struct Palette::PalettePrivate
{
    float hue = 0;
    float saturation = 1;
    float lightness = 0.5f;
    float opacity = 1;
    double hueAngle = 0;
    QPointF fieldIndicator;
    QTransform fieldTransform;
    double side = 0;
    QRectF square;
    QPointF centre;
    double outerRadius = 0;
    double innerRadius = 0;
    QRectF ringRect;
    QPainterPath hueRing;
    QConicalGradient hueGradient;
    QRadialGradient shadowGradient;
    QRadialGradient discGradient;
    double discRadius = 0;
    QPainterPath opacityBand;
    QConicalGradient opacityGradient;
    double bandOuterRadius = 0;
    double tabDiameter = 0;
    QList<QPointF> triangle = QList<QPointF>(3);
    QLinearGradient lightnessGradient;
    QLinearGradient saturationGradient;
    QPainterPath huePointer;
    QList<QPointF> opacityPointer = QList<QPointF>(3);
    QList<QColor> swatchColors;
    QList<QPainterPath> swatchPaths;
    bool draggingHue = false;
    bool draggingOpacity = false;
    bool draggingField = false;
    int pressedSwatch = -1;

    QColor current() const { return hsl(hue, saturation, lightness, opacity); }
};

Palette::Palette(QWidget* parent)
    : QWidget(parent), d(std::make_unique<PalettePrivate>())
{
    for (const char* name : {"#694771", "#57D2E0", "#75A1D4", "#FFCB58", "#894530", "#C05E40",
                             "#E89F6E", "#D45F72", "#497381", "#2C464F"})
        d->swatchColors.append(QColor(QString::fromLatin1(name)));
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_PaintUnclipped);
}

Palette::~Palette() = default;

QColor Palette::color() const
{
    return d->current();
}

QList<QColor> Palette::swatchColors() const
{
    return d->swatchColors;
}

QPointF Palette::fieldIndicator() const
{
    return d->fieldIndicator;
}

QPointF Palette::toField(QPointF widgetPoint) const
{
    return d->fieldTransform.map(widgetPoint);
}

double Palette::innerRadius() const
{
    return d->innerRadius;
}

double Palette::outerRadius() const
{
    return d->outerRadius;
}

void Palette::setColor(const QColor& c)
{
    if (d->current() == c)
        return;
    float h, s, l, a;
    c.getHslF(&h, &s, &l, &a);
    d->hue = h;
    d->saturation = s;
    d->lightness = l;
    d->opacity = a;
    d->hueAngle = h * 2 * M_PI;
    updateIndicators();
    update();
}

void Palette::resizeEvent(QResizeEvent*)
{
    const double side = qMin(width(), height());
    d->side = side;
    d->centre = QPointF(width() * 0.5, height() * 0.5);
    d->square = QRectF(d->centre - QPointF(side / 2, side / 2), QSizeF(side, side));
    const QPointF c = d->centre;

    d->shadowGradient = QRadialGradient(c, 0.35 * side);
    d->shadowGradient.setColorAt(0.0, QColor(0, 0, 0, 50));
    d->shadowGradient.setColorAt(0.5, QColor(0, 0, 0, 50));
    d->shadowGradient.setColorAt(1.0, QColor(0, 0, 0, 0));

    d->discRadius = 0.244 * side;
    d->discGradient = QRadialGradient(c, d->discRadius);
    for (double stop : {0.0, 0.5, 0.95, 1.0})
        d->discGradient.setColorAt(stop, QColor(45, 41, 38, 193));

    d->outerRadius = 0.225 * side;
    d->innerRadius = 0.168 * side;
    d->ringRect = QRectF(c - QPointF(d->outerRadius, d->outerRadius),
                         QSizeF(2 * d->outerRadius, 2 * d->outerRadius));
    d->hueRing = disc(c, d->outerRadius).subtracted(disc(c, d->innerRadius));

    d->hueGradient = QConicalGradient(c, 0);
    const auto hueStop = [this](double at, int h) {
        QColor colour;
        colour.setHsl(h, 255, 128, 255);
        d->hueGradient.setColorAt(at, colour);
    };
    hueStop(1.0, 0);
    hueStop(5.0 / 6, 60);
    hueStop(2.0 / 3, 120);
    hueStop(0.5, 180);
    hueStop(1.0 / 3, 240);
    hueStop(1.0 / 6, 300);
    hueStop(0.0, 360);

    d->bandOuterRadius = 0.28 * side;
    d->tabDiameter = 0.63 * side;
    const double r = 0.315 * side;
    QPainterPath tab;
    tab.moveTo(c);
    tab.lineTo(c + QPointF(0.3420201433256688 * r, -0.9396926207859083 * r));
    tab.quadTo(QPointF(c.x(), c.y() - r / 0.9396926207859084),
               c + QPointF(-0.3420201433256688 * r, -0.9396926207859083 * r));
    tab.closeSubpath();
    QPainterPath arc;
    arc.moveTo(c);
    arc.arcTo(QRectF(c - QPointF(d->bandOuterRadius, d->bandOuterRadius),
                     QSizeF(2 * d->bandOuterRadius, 2 * d->bandOuterRadius)),
              90, 110);
    arc.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(d->ringRect.adjusted(2, 2, -4, -4));
    d->opacityBand = tab.united(arc).subtracted(hole);

    d->swatchPaths.clear();
    const double swatchOuter = 0.417 * side;
    const QRectF swatchRect(c - QPointF(swatchOuter, swatchOuter),
                            QSizeF(2 * swatchOuter, 2 * swatchOuter));
    for (int i = 0; i < d->swatchColors.size(); ++i) {
        QPainterPath pie;
        pie.moveTo(c);
        pie.arcTo(swatchRect, -5.5 - 15 * i, 11);
        pie.closeSubpath();
        d->swatchPaths.append(pie.subtracted(disc(c, 0.36 * side)));
    }
    updateIndicators();
}

void Palette::updateIndicators()
{
    const double theta = d->hueAngle;
    const QPointF c = d->centre;
    const QColor hueOpaque = hsl(d->hue, 1, 0.5, 1);
    const QColor hueClear = hsl(d->hue, 1, 0.5, 0);
    const QColor currentOpaque = hsl(d->hue, d->saturation, d->lightness, 1);
    const QColor currentClear = hsl(d->hue, d->saturation, d->lightness, 0);

    const double rt = d->innerRadius - 0.01;
    const double third = 2 * M_PI / 3;
    const QPointF p0 = polar(c, rt, theta);
    const QPointF p1 = polar(c, rt, theta - third);
    const QPointF p2 = polar(c, rt, theta + third);
    d->triangle = {p0, p1, p2};

    d->lightnessGradient = QLinearGradient(p1, p2);
    d->lightnessGradient.setColorAt(0, Qt::black);
    d->lightnessGradient.setColorAt(1, Qt::white);
    d->saturationGradient = QLinearGradient((p1 + p2) / 2, p0);
    d->saturationGradient.setColorAt(0, hueClear);
    d->saturationGradient.setColorAt(1, hueOpaque);

    const double w = d->outerRadius - d->innerRadius;
    const double rm = 0.6 * d->outerRadius + 0.4 * d->innerRadius;
    const double deg30 = M_PI / 6;
    const QPointF q = polar(c, rm, theta);
    QPainterPath wedge;
    wedge.moveTo(q);
    wedge.lineTo(polar(q, w, theta - deg30));
    wedge.lineTo(polar(q, w, theta + deg30));
    wedge.closeSubpath();
    d->huePointer = wedge.intersected(disc(c, d->outerRadius));

    d->opacityGradient = QConicalGradient(c, 200);
    d->opacityGradient.setColorAt(0.0, currentClear);
    d->opacityGradient.setColorAt(0.25, currentOpaque);
    d->opacityGradient.setColorAt(0.75, currentOpaque);
    d->opacityGradient.setColorAt(1.0, currentClear);

    const double phi = qDegreesToRadians((d->opacity + 1.0) * 90 + 70);
    const double deg150 = 5 * M_PI / 6;
    const QPointF a = polar(c, 2 * d->outerRadius - rm, phi);
    d->opacityPointer = {a, polar(a, w, phi - deg150), polar(a, w, phi + deg150)};

    const double thetaDegrees = qRadiansToDegrees(theta);
    QTransform t;
    t.rotate(-thetaDegrees);
    t.translate(-p1.x(), -p1.y());
    const QPointF m = t.map(p0);
    t.reset();
    t.scale(1 / m.x(), 0.5 / m.y());
    t.rotate(-thetaDegrees);
    t.translate(-p1.x(), -p1.y());
    d->fieldTransform = t;
    d->fieldIndicator = t.inverted().map(QPointF(d->saturation, d->lightness));
}

void Palette::applyFieldRule(QPointF p)
{
    const QPointF f = d->fieldTransform.map(p);
    const double x = f.x();
    const double y = f.y();
    double lightness;
    double saturation;
    if (x > 2 * y) {
        lightness = (2 * x + y) / 5;
        saturation = (4 * x + 2 * y) / 5;
    } else if (x > 2 - 2 * y) {
        lightness = (-2 * x + y + 4) / 5;
        saturation = (4 * x - 2 * y + 2) / 5;
    } else {
        lightness = y;
        saturation = x;
    }
    d->saturation = qBound(0.0f, float(saturation), 1.0f);
    d->lightness = qMax(d->saturation / 2, qMin(float(lightness), 1 - d->saturation / 2));
    updateIndicators();
    update();
}

bool Palette::applyOpacityRule(QPointF p)
{
    const double dx = p.x() - d->centre.x();
    const double dy = p.y() - d->centre.y();
    const double v = (-std::atan2(dx, dy) * 180 / M_PI - 70) / 90;
    if (v <= -0.1 || v >= 1.2)
        return false;
    d->opacity = float(qBound(0.0, v, 1.0));
    updateIndicators();
    update();
    return true;
}

void Palette::followHue(QPointF p)
{
    const double dx = p.x() - d->centre.x();
    const double dy = p.y() - d->centre.y();
    d->hueAngle = M_PI / 2 - std::atan2(dx, dy);
    double hue = d->hueAngle / (2 * M_PI);
    while (hue < 0)
        hue += 1;
    d->hue = float(hue);
    updateIndicators();
    update();
}

void Palette::mousePressEvent(QMouseEvent* event)
{
    const QPointF p = event->position().toPoint();
    const double distance = QLineF(d->centre, p).length();
    if (distance < d->innerRadius) {
        d->draggingField = true;
        applyFieldRule(p);
    } else if (distance <= d->outerRadius) {
        d->draggingHue = true;
        mouseMoveEvent(event);
    } else if (distance <= d->bandOuterRadius) {
        if (applyOpacityRule(p))
            d->draggingOpacity = true;
    } else {
        for (int i = 0; i < d->swatchPaths.size(); ++i) {
            if (d->swatchPaths.at(i).contains(p)) {
                d->pressedSwatch = i;
                break;
            }
        }
    }
}

void Palette::mouseMoveEvent(QMouseEvent* event)
{
    const QPointF p = event->position().toPoint();
    if (d->draggingHue)
        followHue(p);
    else if (d->draggingOpacity)
        applyOpacityRule(p);
    else if (d->draggingField)
        applyFieldRule(p);
}

void Palette::mouseReleaseEvent(QMouseEvent* event)
{
    const QPointF p = event->position().toPoint();
    if (d->draggingHue || d->draggingOpacity) {
        mouseMoveEvent(event);
        d->draggingHue = false;
        d->draggingOpacity = false;
    } else if (d->pressedSwatch >= 0) {
        const int i = d->pressedSwatch;
        if (d->swatchPaths.at(i).contains(p)) {
            float h, s, l, a;
            d->swatchColors.at(i).getHslF(&h, &s, &l, &a);
            d->hue = h;
            d->saturation = s;
            d->lightness = l;
            d->opacity = a;
            d->hueAngle = h * 2 * M_PI;
            updateIndicators();
            if (i > 0) {
                // The chosen colour moves to the front; those before it move on.
                d->swatchColors.removeAt(i);
                d->swatchColors.insert(0, d->current());
            }
            update();
        }
        d->pressedSwatch = -1;
    } else if (d->draggingField) {
        applyFieldRule(p);
        d->draggingField = false;
    }
}

void Palette::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipping(false);
    painter.setPen(Qt::NoPen);
    const QPointF c = d->centre;

    painter.setBrush(d->shadowGradient);
    painter.drawEllipse(c, d->side / 2, d->side / 2);
    painter.setBrush(d->discGradient);
    painter.drawEllipse(c, d->discRadius, d->discRadius);
    painter.setBrush(d->opacityGradient);
    painter.drawPath(d->opacityBand);
    painter.setBrush(Qt::black);
    painter.drawPolygon(QPolygonF(d->opacityPointer));
    painter.setBrush(d->hueGradient);
    painter.drawPath(d->hueRing);
    painter.setBrush(Qt::black);
    painter.drawPath(d->huePointer);
    const QPolygonF triangle(d->triangle);
    painter.setBrush(d->lightnessGradient);
    painter.drawPolygon(triangle);
    painter.setBrush(d->saturationGradient);
    painter.drawPolygon(triangle);
    for (int i = 0; i < d->swatchPaths.size() && i < d->swatchColors.size(); ++i) {
        const QColor colour = d->swatchColors.at(i);
        QColor edge = colour;
        edge.setAlpha(255);
        painter.setBrush(colour);
        painter.setPen(edge);
        painter.drawPath(d->swatchPaths.at(i));
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(Qt::black);
    painter.drawEllipse(d->fieldIndicator, 5, 5);
}

} // namespace UI
