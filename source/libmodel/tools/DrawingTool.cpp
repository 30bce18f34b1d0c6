#include "tools/DrawingTool.h"

#include "settings/Settings.h"
#include "tools/Cursor.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QSvgRenderer>
#include <QtMath>

#include <cmath>

namespace Model {

class DrawingToolData
{
public:
    double minimumWidth = 0.5;
    double widthRange = 4.5;
    double minimumOpacity = 0.0;
    double opacityRange = 1.0;

    QCursor cursor;
    QCursor fixedFaintCursor;
    QCursor fixedOpaqueCursor;

    double sizeMinPercent = 0.0;
    double sizeMaxPercent = 100.0;
    double opacityMinPercent = 0.0;
    double opacityMaxPercent = 100.0;

    double sizeLowerLimit = 0.5;
    double sizeUpperLimit = 180.0;
    double opacityLowerLimit = 0.0;
    double opacityUpperLimit = 1.0;

    double incDecSizeMinPercent = 0.0;
    double incDecSizeMaxPercent = 100.0;
    bool incDecSizeActive = false;
    double incDecOpacityMinPercent = 0.0;
    double incDecOpacityMaxPercent = 100.0;
    bool incDecOpacityActive = false;

    // Made when the opacity cursor is first painted: strokes clone their tool,
    // and most clones never show a cursor.
    mutable std::unique_ptr<QSvgRenderer> opacityRenderer;

    QSvgRenderer& opacityArtwork() const
    {
        if (!opacityRenderer)
            opacityRenderer = std::make_unique<QSvgRenderer>(
                QStringLiteral(":/pointers/pointer-opacity.svg"));
        return *opacityRenderer;
    }
};

namespace {

constexpr double shrinkFactor = 0.8;
constexpr double growFactor = 1.25;

// Clamps into [low, high]; a NaN goes to the lower bound so that a bad request
// never reaches the stroke mapping.
double clampTo(double value, double low, double high)
{
    if (!(value >= low))
        return low;
    return value > high ? high : value;
}

// The largest drawn cursor diameter in device pixels (512 logical pixels).
// Deep zoom on a wide brush would otherwise ask for a pixmap of gigabytes on
// every range change; a cursor that large no longer fits any screen anyway.
constexpr double maximumCursorExtent = 1024.0;

// 2 x diameter x scale, kept within 0..maximumCursorExtent; NaN counts as 0.
double cursorExtent(double diameter, double scale)
{
    const double extent = 2.0 * diameter * scale;
    if (!(extent > 0.0))
        return 0.0;
    return extent < maximumCursorExtent ? extent : maximumCursorExtent;
}

// Rounds half away from zero, as the cursor geometry is defined.
int roundHalfAway(double value)
{
    return int(std::round(value));
}

// Steps are taken around -4 rather than 0 so that a range at 0 % still grows.
double stepped(double percent, double factor)
{
    return (percent + 4.0) * factor - 4.0;
}

} // namespace

DrawingTool::DrawingTool(Tool::Type type, QObject* parent)
    : Tool(type, parent)
    , d(std::make_unique<DrawingToolData>())
{
    prepareCursor(type);
}

DrawingTool::~DrawingTool() = default;

QCursor DrawingTool::cursor() const
{
    return d->cursor;
}

void DrawingTool::refreshCursor()
{
    updateCursor();
}

double DrawingTool::minimumWidth() const
{
    return d->minimumWidth;
}

double DrawingTool::widthRange() const
{
    return d->widthRange;
}

double DrawingTool::minimumOpacity() const
{
    return d->minimumOpacity;
}

double DrawingTool::opacityRange() const
{
    return d->opacityRange;
}

double DrawingTool::radiusAtPressure(double pressure) const
{
    return d->minimumWidth + d->widthRange * (qPow(100.0, pressure) - 1.0) / 99.0;
}

double DrawingTool::opacityAtPressure(double pressure) const
{
    return d->minimumOpacity + d->opacityRange * pressure;
}

double DrawingTool::sizeMinPercent() const
{
    return d->sizeMinPercent;
}

double DrawingTool::sizeMaxPercent() const
{
    return d->sizeMaxPercent;
}

double DrawingTool::opacityMinPercent() const
{
    return d->opacityMinPercent;
}

double DrawingTool::opacityMaxPercent() const
{
    return d->opacityMaxPercent;
}

double DrawingTool::sizeLowerLimit() const
{
    return d->sizeLowerLimit;
}

double DrawingTool::sizeUpperLimit() const
{
    return d->sizeUpperLimit;
}

double DrawingTool::opacityLowerLimit() const
{
    return d->opacityLowerLimit;
}

double DrawingTool::opacityUpperLimit() const
{
    return d->opacityUpperLimit;
}

bool DrawingTool::isIncDecSizeActive() const
{
    return d->incDecSizeActive;
}

bool DrawingTool::isIncDecOpacityActive() const
{
    return d->incDecOpacityActive;
}

void DrawingTool::decreaseSizeRange()
{
    stepSizeRange(shrinkFactor);
}

void DrawingTool::increaseSizeRange()
{
    stepSizeRange(growFactor);
}

double DrawingTool::incDecSizeMinPercent() const
{
    return d->incDecSizeActive ? d->incDecSizeMinPercent : d->sizeMinPercent;
}

double DrawingTool::incDecSizeMaxPercent() const
{
    return d->incDecSizeActive ? d->incDecSizeMaxPercent : d->sizeMaxPercent;
}

void DrawingTool::setIncDecSizeRangePercent(double sizeMinPercent, double sizeMaxPercent)
{
    d->incDecSizeMinPercent = sizeMinPercent;
    d->incDecSizeMaxPercent = sizeMaxPercent;
    setSizeRangePercent(sizeMinPercent, sizeMaxPercent);
    d->incDecSizeActive = true;
}

void DrawingTool::setSizeRangePercent(double sizeMinPercent, double sizeMaxPercent)
{
    const double maxPercent = clampTo(sizeMaxPercent, 0.0, 100.0);
    const double minPercent = clampTo(sizeMinPercent, 0.0, maxPercent);
    d->sizeMinPercent = minPercent;
    d->sizeMaxPercent = maxPercent;

    const double span = d->sizeUpperLimit - d->sizeLowerLimit;
    d->minimumWidth = 0.5 * (d->sizeLowerLimit + span * minPercent / 100.0);
    d->widthRange = 0.5 * span * (maxPercent - minPercent) / 100.0;

    updateCursor();
    emit sizeRangeChanged(settingsName(), minPercent, maxPercent);
    d->incDecSizeActive = false;
}

void DrawingTool::decreaseOpacityRange()
{
    stepOpacityRange(shrinkFactor);
}

void DrawingTool::increaseOpacityRange()
{
    stepOpacityRange(growFactor);
}

double DrawingTool::incDecOpacityMinPercent() const
{
    return d->incDecOpacityActive ? d->incDecOpacityMinPercent : d->opacityMinPercent;
}

double DrawingTool::incDecOpacityMaxPercent() const
{
    return d->incDecOpacityActive ? d->incDecOpacityMaxPercent : d->opacityMaxPercent;
}

void DrawingTool::setIncDecOpacityRangePercent(double opacityMinPercent, double opacityMaxPercent)
{
    d->incDecOpacityMinPercent = opacityMinPercent;
    d->incDecOpacityMaxPercent = opacityMaxPercent;
    setOpacityRangePercent(opacityMinPercent, opacityMaxPercent);
    d->incDecOpacityActive = true;
}

void DrawingTool::setOpacityRangePercent(double opacityMinPercent, double opacityMaxPercent)
{
    const double maxPercent = clampTo(opacityMaxPercent, 0.0, 100.0);
    const double minPercent = clampTo(opacityMinPercent, 0.0, maxPercent);
    d->opacityMinPercent = minPercent;
    d->opacityMaxPercent = maxPercent;

    const double perPercent = (d->opacityUpperLimit - d->opacityLowerLimit) / 100.0;
    d->minimumOpacity = d->opacityLowerLimit + perPercent * minPercent;
    d->opacityRange = perPercent * (maxPercent - minPercent);

    // The cursor shows size only, so it stays as it is.
    emit opacityRangeChanged(settingsName(), minPercent, maxPercent);
    d->incDecOpacityActive = false;
}

void DrawingTool::setSizeRangeLimits(double lowerLimit, double upperLimit)
{
    const double upper = clampTo(upperLimit, 0.5, 180.0);
    d->sizeLowerLimit = clampTo(lowerLimit, 0.5, upper);
    d->sizeUpperLimit = upper;
    setSizeRangePercent(d->sizeMinPercent, d->sizeMaxPercent);
}

void DrawingTool::setOpacityRangeLimits(double lowerLimit, double upperLimit)
{
    const double upper = clampTo(upperLimit, 0.0, 1.0);
    d->opacityLowerLimit = clampTo(lowerLimit, 0.0, upper);
    d->opacityUpperLimit = upper;
    setOpacityRangePercent(d->opacityMinPercent, d->opacityMaxPercent);
}

void DrawingTool::updateCursor()
{
    switch (state()) {
    case Forbidden:
        d->cursor = Cursor::m_cursorForbidden;
        break;
    case LayerNotVisible:
        d->cursor = Cursor::m_cursorLayerNotVisible;
        break;
    case LayerOpacityZero:
        d->cursor = Cursor::m_cursorLayerOpacityZero;
        break;
    case Usable: {
        const Settings* settings = Settings::instance();
        const bool faint = settings->drawCursorOpacity() == KW::DrawCursorOpacity::Faint;
        if (settings->drawCursorType() == KW::DrawCursorType::FixedSmall)
            d->cursor = faint ? d->fixedFaintCursor : d->fixedOpaqueCursor;
        else
            d->cursor = createCursor(2.0 * d->minimumWidth,
                                     2.0 * (d->minimumWidth + d->widthRange), m_zoomLevel, faint);
        break;
    }
    }
    emit cursorChanged(d->cursor);
}

QCursor DrawingTool::createCursorSizeMin(double minimumDiameter, double maximumDiameter,
                                         double scale) const
{
    return createAdjustmentCursorSize(minimumDiameter, maximumDiameter, scale,
                                      HighlightLowerSize);
}

QCursor DrawingTool::createCursorSizeMax(double minimumDiameter, double maximumDiameter,
                                         double scale) const
{
    return createAdjustmentCursorSize(minimumDiameter, maximumDiameter, scale,
                                      HighlightUpperSize);
}

QCursor DrawingTool::createCursorSizeMinMax(double minimumDiameter, double maximumDiameter,
                                            double scale) const
{
    return createAdjustmentCursorSize(minimumDiameter, maximumDiameter, scale,
                                      HighlightBothSizes);
}

QCursor DrawingTool::createCursorOpacityMinMax(double lowerOpacity, double upperOpacity) const
{
    QSvgRenderer& artwork = d->opacityArtwork();
    QPixmap pixmap(artwork.defaultSize() * 2);
    pixmap.fill(Qt::transparent);

    const QString prefix = type() == Erase ? QStringLiteral("erase") : QStringLiteral("draw");
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(2.0, 2.0);
        const auto renderElement = [&](const QString& part, double opacity) {
            const QString id = prefix + part;
            painter.setOpacity(opacity);
            artwork.render(&painter, id,
                           artwork.transformForElement(id).mapRect(artwork.boundsOnElement(id)));
        };
        renderElement(QStringLiteral("base"), 1.0);
        renderElement(QStringLiteral("left"), lowerOpacity);
        renderElement(QStringLiteral("right"), upperOpacity);
    }
    const QPointF centre = calcCursorCenter(pixmap);
    pixmap.setDevicePixelRatio(2.0);
    return Model::createCursor(pixmap, centre);
}

QCursor DrawingTool::annotationCursor(double scale) const
{
    switch (Settings::instance()->drawCursorType()) {
    case KW::DrawCursorType::AdaptToSize:
        return createCursor(2.0 * d->minimumWidth, 2.0 * (d->minimumWidth + d->widthRange), scale,
                            false);
    case KW::DrawCursorType::FixedSmall:
        return d->fixedOpaqueCursor;
    }
    return d->cursor;
}

void DrawingTool::prepareCursor(Tool::Type type)
{
    if (type == Erase) {
        d->fixedFaintCursor = Cursor::cursorFromSvgFileCenteredHotspot(
            QStringLiteral(":/pointers/pointer-eraseFixedFaint.svg"));
        d->fixedOpaqueCursor = Cursor::cursorFromSvgFileCenteredHotspot(
            QStringLiteral(":/pointers/pointer-eraseFixedOpaque.svg"));
    } else {
        d->fixedFaintCursor = Cursor::cursorFromSvgFileCenteredHotspot(
            QStringLiteral(":/pointers/pointer-drawFixedFaint.svg"));
        d->fixedOpaqueCursor = Cursor::cursorFromSvgFileCenteredHotspot(
            QStringLiteral(":/pointers/pointer-drawFixedOpaque.svg"));
    }
}

QCursor DrawingTool::fixedFaintCursor() const
{
    return d->fixedFaintCursor;
}

QCursor DrawingTool::fixedOpaqueCursor() const
{
    return d->fixedOpaqueCursor;
}

DrawingTool::CursorGeometry DrawingTool::cursorGeometry(double minimumDiameter,
                                                        double maximumDiameter, double scale,
                                                        int pixmapExtra)
{
    CursorGeometry geometry;
    geometry.maximumExtent = cursorExtent(maximumDiameter, scale);
    geometry.minimumExtent = cursorExtent(minimumDiameter, scale);
    const int n = qMax(8, roundHalfAway(geometry.maximumExtent));
    geometry.outerDiameter = n - n % 4;
    geometry.armInner =
        qMax(4, qMin(roundHalfAway(geometry.minimumExtent) / 2, geometry.outerDiameter / 2));
    geometry.pixmapSize = geometry.outerDiameter + pixmapExtra;
    geometry.armOuter = qMax(20, geometry.pixmapSize / 2);
    geometry.centre = QPointF((geometry.pixmapSize + 1) / 2.0, (geometry.pixmapSize + 1) / 2.0);
    return geometry;
}

QPixmap DrawingTool::emptyCursorPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void DrawingTool::drawCrosshairArms(QPainter& painter, const CursorGeometry& geometry,
                                    double sideOffset)
{
    const QPointF c = geometry.centre;
    const double g = geometry.armInner;
    const double o = geometry.armOuter;
    // With an offset each arm becomes the two lines that flank it.
    const double sides[] = {-sideOffset, sideOffset};
    const int count = sideOffset == 0.0 ? 1 : 2;
    for (int i = 0; i < count; ++i) {
        const double s = sides[i];
        painter.drawLine(QPointF(c.x() + g, c.y() + s), QPointF(c.x() + o, c.y() + s));
        painter.drawLine(QPointF(c.x() - g, c.y() + s), QPointF(c.x() - o, c.y() + s));
        painter.drawLine(QPointF(c.x() + s, c.y() + g), QPointF(c.x() + s, c.y() + o));
        painter.drawLine(QPointF(c.x() + s, c.y() - g), QPointF(c.x() + s, c.y() - o));
    }
}

QCursor DrawingTool::paintAdjustmentCursorSize(double minimumDiameter, double maximumDiameter,
                                               double scale, AdjustmentHighlights highlight,
                                               bool withCrosshair)
{
    const CursorGeometry geometry = cursorGeometry(minimumDiameter, maximumDiameter, scale, 28);
    const double outerRadius = roundHalfAway(geometry.maximumExtent / 2.0);
    const double innerRadius = roundHalfAway(geometry.minimumExtent / 2.0);
    const bool upper = highlight.testFlag(HighlightUpperSize);
    const bool lower = highlight.testFlag(HighlightLowerSize);
    const QPointF c = geometry.centre;

    QPixmap pixmap = emptyCursorPixmap(geometry.pixmapSize);
    {
        QPainter painter(&pixmap);

        // The ring that the stroke width sweeps through.
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(0.25);
        QPainterPath ring;
        ring.setFillRule(Qt::OddEvenFill);
        ring.addEllipse(c, outerRadius, outerRadius);
        ring.addEllipse(c, innerRadius, innerRadius);
        painter.fillPath(ring, Qt::black);
        painter.restore();

        const auto circle = [&](const QColor& colour, double diameter, double opacity) {
            painter.save();
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setCompositionMode(QPainter::CompositionMode_Source);
            painter.setOpacity(opacity);
            painter.setPen(QPen(colour, 2.0));
            painter.setBrush(Qt::NoBrush);
            painter.drawEllipse(c, diameter / 2.0, diameter / 2.0);
            painter.restore();
        };

        // White halos; the highlighted one on top.
        const auto outerHalo = [&] {
            circle(Qt::white, 2.0 * outerRadius + 4.0, upper ? 0.5 : 0.25);
        };
        const auto innerHalo = [&] {
            circle(Qt::white, qMax(0.0, 2.0 * innerRadius - 4.0), lower ? 0.5 : 0.25);
        };
        if (upper && !lower) {
            innerHalo();
            outerHalo();
        } else {
            outerHalo();
            innerHalo();
        }

        if (withCrosshair) {
            painter.save();
            painter.setOpacity(0.25);
            painter.setPen(QPen(Qt::black, 2.0));
            drawCrosshairArms(painter, geometry, 0.0);
            painter.restore();
        }

        // Black circles; the outer one first unless it is the highlighted end.
        const auto outerCircle = [&] {
            circle(Qt::black, qMax(1.0, 2.0 * outerRadius), upper ? 1.0 : 0.5);
        };
        const auto innerCircle = [&] { circle(Qt::black, 2.0 * innerRadius, lower ? 1.0 : 0.5); };
        if (upper) {
            innerCircle();
            outerCircle();
        } else {
            outerCircle();
            innerCircle();
        }
    }
    pixmap.setDevicePixelRatio(2.0);
    return Model::createCursor(pixmap, c);
}

void DrawingTool::copySettingsFrom(const DrawingTool& other)
{
    const DrawingToolData& o = *other.d;
    d->minimumWidth = o.minimumWidth;
    d->widthRange = o.widthRange;
    d->minimumOpacity = o.minimumOpacity;
    d->opacityRange = o.opacityRange;
    d->fixedFaintCursor = o.fixedFaintCursor;
    d->fixedOpaqueCursor = o.fixedOpaqueCursor;
    d->sizeMinPercent = o.sizeMinPercent;
    d->sizeMaxPercent = o.sizeMaxPercent;
    d->opacityMinPercent = o.opacityMinPercent;
    d->opacityMaxPercent = o.opacityMaxPercent;
    d->sizeLowerLimit = o.sizeLowerLimit;
    d->sizeUpperLimit = o.sizeUpperLimit;
    d->opacityLowerLimit = o.opacityLowerLimit;
    d->opacityUpperLimit = o.opacityUpperLimit;
}

void DrawingTool::stepSizeRange(double factor)
{
    if (!d->incDecSizeActive) {
        d->incDecSizeMinPercent = d->sizeMinPercent;
        d->incDecSizeMaxPercent = d->sizeMaxPercent;
    }
    // Shrinking stops once the upper end reached 0, growing once the lower end
    // reached 100; the range is applied again either way.
    const bool canStep = factor < 1.0 ? d->incDecSizeMaxPercent > 0.0
                                      : d->incDecSizeMinPercent < 100.0;
    if (canStep) {
        d->incDecSizeMinPercent = stepped(d->incDecSizeMinPercent, factor);
        d->incDecSizeMaxPercent = stepped(d->incDecSizeMaxPercent, factor);
    }
    setSizeRangePercent(d->incDecSizeMinPercent, d->incDecSizeMaxPercent);
    d->incDecSizeActive = true;
}

void DrawingTool::stepOpacityRange(double factor)
{
    if (!d->incDecOpacityActive) {
        d->incDecOpacityMinPercent = d->opacityMinPercent;
        d->incDecOpacityMaxPercent = d->opacityMaxPercent;
    }
    const bool canStep = factor < 1.0 ? d->incDecOpacityMaxPercent > 0.0
                                      : d->incDecOpacityMinPercent < 100.0;
    if (canStep) {
        d->incDecOpacityMinPercent = stepped(d->incDecOpacityMinPercent, factor);
        d->incDecOpacityMaxPercent = stepped(d->incDecOpacityMaxPercent, factor);
    }
    setOpacityRangePercent(d->incDecOpacityMinPercent, d->incDecOpacityMaxPercent);
    d->incDecOpacityActive = true;
}

} // namespace Model
