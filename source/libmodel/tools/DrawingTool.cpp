#include "tools/DrawingTool.h"

#include <QtMath>

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
    // The cursor picture itself is painted from the size range and the cursor
    // preferences by the cursor code; here the current one is announced.
    emit cursorChanged(d->cursor);
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
