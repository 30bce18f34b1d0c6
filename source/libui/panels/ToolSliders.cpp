#include "panels/ToolSliders.h"

#include "canvas/TextBubble.h"
#include "common/PenAsMouse.h"
#include "common/UIScale.h"
#include "tools/DrawingTool.h"
#include "tools/EraserTool.h"
#include "tools/PenTool.h"
#include "tools/ToolManager.h"

#include <QHelpEvent>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>
#include <QToolTip>

#include <cmath>

namespace UI {

namespace {

// The default size limits of a drawing tool in pixels, which the size
// artwork spans.
constexpr double artworkSizeMin = 0.5;
constexpr double artworkSizeSpan = 179.5;

bool same(double a, double b)
{
    return qFuzzyCompare(a, b);
}

} // namespace

// One two-handled slider: its committed range, the ends as dragged, and its
// value limits.
struct RangeSlider
{
    double lower = 10;
    double upper = 20;
    double positionLower = 10;
    double positionUpper = 20;
    int handleXLower = 0;
    int handleXUpper = 0;
    double min = 0;
    double max = 100;

    double clamp(double v) const
    {
        if (!(v > min))
            return min;
        return v > max ? max : v;
    }
};

class ToolSliders::ToolSlidersPrivate
{
public:
    virtual ~ToolSlidersPrivate() = default;

    ToolSliders* owner = nullptr;
    Model::Tool::Type toolType = Model::Tool::Draw;
    QIcon dropdownIcon;
    QSvgRenderer sizeBackground;
    QSvgRenderer sizeForeground;
    QSvgRenderer opacityBackground;
    QSvgRenderer opacityForeground;
    QPen captionPen{QColor(255, 255, 255, 77)};
    QFont captionFont{QStringLiteral("Sans Serif"), 10, 500};
    QPen namePen{QColor(45, 41, 38)};
    QFont nameFont{QStringLiteral("Sans Serif"), 10, 600};
    RangeSlider size;
    RangeSlider opacity;
    double sizeFractions[2] = {0, 1};
    double opacityFractions[2] = {0, 1};
    QRectF referenceViewBox;
    int draggedHandle = NoHandle;
    int hoveredHandle = NoHandle;
    TextBubble* bubble = nullptr;
    QSize widgetSize;
    QSize sliderSize;
    int sliderLeft = 11;
    int sliderRight = 206;
    int captionOffset = 17;
    int captionFontSize = 12;
    int sizeRowTop = 46;
    int opacityRowTop = 91;
    int currentToolIdx = -1;
    QMetaObject::Connection sizeConnection;
    QMetaObject::Connection opacityConnection;
    quint64 lastEventTime = 0;
    float scale = 1;

    ToolSlidersPrivate(ToolSliders* w, Model::Tool::Type type) : owner(w), toolType(type)
    {
        computeMetrics();
        const bool pen = type == Model::Tool::Draw;
        const QString prefix = pen ? QStringLiteral(":/toolsettings/pen")
                                   : QStringLiteral(":/toolsettings/eraser");
        dropdownIcon = QIcon(QStringLiteral(":/toolsettings/dropdown-triangle.svg"));
        sizeBackground.load(prefix + QStringLiteral("SizeSliderBackground.svg"));
        sizeForeground.load(prefix + QStringLiteral("SizeSliderForeground.svg"));
        opacityBackground.load(prefix + QStringLiteral("TransparencySliderBackground.svg"));
        opacityForeground.load(prefix + QStringLiteral("TransparencySliderForeground.svg"));
        referenceViewBox = sizeBackground.viewBoxF();
        bubble = new TextBubble(w);
        bubble->hide();
    }

    void computeMetrics()
    {
        scale = uiScale();
        widgetSize = QSize(scaled(217, scale), scaled(127, scale));
        sliderSize = QSize(scaled(195, scale), scaled(25, scale));
        sliderLeft = scaled(11, scale);
        sliderRight = sliderLeft + sliderSize.width();
        captionOffset = scaled(17, scale);
        captionFontSize = scaled(12, scale);
        sizeRowTop = scaled(46, scale);
        opacityRowTop = scaled(91, scale);
        captionFont.setPixelSize(captionFontSize);
        nameFont.setPixelSize(captionFontSize);
    }

    Model::DrawingTool* tool() const
    {
        const auto type = toolType == Model::Tool::Draw ? Model::Tool::Draw : Model::Tool::Erase;
        return qobject_cast<Model::DrawingTool*>(Model::ToolManager::instance()->tool(type));
    }

    int valueToPixel(const RangeSlider& s, double v) const
    {
        const int width = sliderSize.width();
        int offset;
        if (s.min >= s.max || v < s.min)
            offset = 0;
        else if (v > s.max)
            offset = width;
        else
            offset = int(width * (v - s.min) / (s.max - s.min));
        return sliderLeft + offset;
    }

    double pixelToValue(const RangeSlider& s, int x) const
    {
        const int width = sliderSize.width();
        if (x <= sliderLeft || width <= 0)
            return s.min;
        if (x - sliderLeft >= width)
            return s.max;
        return s.min + (x - sliderLeft) * (s.max - s.min) / width;
    }

    QRect row(int top) const { return QRect(QPoint(sliderLeft, top), sliderSize); }

    // Clamps, orders and commits; true when anything changed.
    static bool setRange(RangeSlider& s, double a, double b)
    {
        a = s.clamp(a);
        b = s.clamp(b);
        const double lower = qMin(a, b);
        const double upper = qMax(a, b);
        if (same(lower, s.lower) && same(lower, s.positionLower) && same(upper, s.upper)
            && same(upper, s.positionUpper))
            return false;
        s.lower = s.positionLower = lower;
        s.upper = s.positionUpper = upper;
        return true;
    }

    static void setPositions(RangeSlider& s, double a, double b)
    {
        a = s.clamp(a);
        b = s.clamp(b);
        const double lower = qMin(a, b);
        const double upper = qMax(a, b);
        if (same(lower, s.positionLower) && same(upper, s.positionUpper))
            return;
        s.positionLower = lower;
        s.positionUpper = upper;
    }

    // One end moves and pushes the other ahead of it; true when it moved.
    static bool setPosition(RangeSlider& s, bool lowerEnd, double p)
    {
        p = s.clamp(p);
        if (lowerEnd) {
            if (same(p, s.positionLower))
                return false;
            s.positionLower = p;
            s.positionUpper = qMax(s.positionUpper, p);
        } else {
            if (same(p, s.positionUpper))
                return false;
            s.positionUpper = p;
            s.positionLower = qMin(s.positionLower, p);
        }
        return true;
    }

    void readTool()
    {
        Model::DrawingTool* t = tool();
        if (!t)
            return;
        owner->setSizeRange(t->sizeMinPercent() * 0.01 * (size.max - size.min) + size.min,
                            t->sizeMaxPercent() * 0.01 * (size.max - size.min) + size.min);
        owner->setOpacityRange(
            t->opacityMinPercent() * 0.01 * (opacity.max - opacity.min) + opacity.min,
            t->opacityMaxPercent() * 0.01 * (opacity.max - opacity.min) + opacity.min);
        sizeFractions[0] = (t->sizeLowerLimit() - artworkSizeMin) / artworkSizeSpan;
        sizeFractions[1] = (t->sizeUpperLimit() - artworkSizeMin) / artworkSizeSpan;
        sizeBackground.setViewBox(slice(sizeFractions));
        opacityFractions[0] = t->opacityLowerLimit();
        opacityFractions[1] = t->opacityUpperLimit();
        opacityBackground.setViewBox(slice(opacityFractions));
        owner->update();
    }

    QRectF slice(const double fractions[2]) const
    {
        const QRectF& r = referenceViewBox;
        return QRectF(r.x() + fractions[0] * r.width(), r.y(),
                      (fractions[1] - fractions[0]) * r.width(), r.height());
    }

    void connectTool()
    {
        Model::DrawingTool* t = tool();
        if (!t)
            return;
        sizeConnection = QObject::connect(t, &Model::DrawingTool::sizeRangeChanged, owner,
                                          [this] { readTool(); });
        opacityConnection = QObject::connect(t, &Model::DrawingTool::opacityRangeChanged, owner,
                                             [this] { readTool(); });
    }

    void disconnectTool()
    {
        QObject::disconnect(sizeConnection);
        QObject::disconnect(opacityConnection);
    }

    // A slider value as the tool's own unit: pixels for the size, 0..1 for
    // the opacity.
    static double toToolUnits(double v, double toolMin, double toolMax)
    {
        return qBound(0.0, v, 100.0) * (toolMax - toolMin) * 0.01 + toolMin;
    }

    void updateBubble()
    {
        Model::DrawingTool* t = tool();
        if (draggedHandle == NoHandle || !t)
            return;
        const bool sizeEnd = draggedHandle <= SizeUpper;
        const RangeSlider& s = sizeEnd ? size : opacity;
        const int handleX = draggedHandle % 2 == 0 ? s.handleXLower : s.handleXUpper;
        const double v = pixelToValue(s, handleX);
        if (sizeEnd) {
            const double px = toToolUnits(v, t->sizeLowerLimit(), t->sizeUpperLimit());
            bubble->setText(tr("%1px").arg(px, 0, 'f', 1));
        } else {
            const int percent =
                int(toToolUnits(v, t->opacityLowerLimit(), t->opacityUpperLimit()) * 100);
            bubble->setText(tr("%1%").arg(percent));
        }
        bubble->setBubbleParams(bubbleRect(sizeEnd ? sizeRowTop : opacityRowTop, handleX),
                                handleX);
        bubble->show();
    }

    QRect bubbleRect(int rowTop, int handleX) const
    {
        const int bottom = rowTop - 2 * bubble->traingleHeight();
        const QSize b = bubble->bubbleSize();
        int left = qMax(handleX - (b.width() - 1) / 2, sliderLeft / 2);
        int right = left + b.width() - 1;
        const int limit = sliderRight + sliderLeft / 2;
        if (right > limit) {
            left -= right - limit;
            right = limit;
        }
        return QRect(QPoint(left, bottom - b.height() + 1), QPoint(right, bottom));
    }

    void paintForeground(QPainter& painter, const RangeSlider& s, QSvgRenderer& background,
                         QSvgRenderer& foreground, int rowTop, int lowerHandle) const
    {
        int left;
        int right;
        if (draggedHandle == lowerHandle + 1) {
            left = valueToPixel(s, s.positionLower);
            right = qMax(left + 3, s.handleXUpper);
        } else if (draggedHandle == lowerHandle) {
            right = valueToPixel(s, s.positionUpper);
            left = qMin(s.handleXLower, right - 3);
        } else {
            left = valueToPixel(s, s.lower);
            right = valueToPixel(s, s.upper);
        }
        if (right - left <= 2) {
            left = qMax(sliderLeft, left - 1);
            right = qMin(sliderRight, right + 2);
        }
        if (left == sliderLeft)
            right = qMax(sliderLeft + 3, qMin(sliderRight, right));
        if (right == sliderRight)
            left = qMax(sliderLeft, qMin(sliderRight - 3, left));

        const QRect clip(left, rowTop, right - left, sliderSize.height());
        const QRectF box = background.viewBoxF();
        const double vL = pixelToValue(s, left);
        const double vR = pixelToValue(s, right);
        foreground.setViewBox(QRectF(box.x() + vL * box.width() / 100, box.y(),
                                     (vR - vL) * box.width() / 100, box.height()));
        painter.save();
        painter.setClipRect(clip);
        foreground.render(&painter, QRectF(clip));
        painter.restore();
    }
};

ToolSliders::ToolSliders(Model::Tool::Type type, QWidget* parent)
    : QWidget(parent), d(std::make_unique<ToolSlidersPrivate>(this, type))
{
    setFixedSize(d->widgetSize);
    setAttribute(Qt::WA_MouseTracking);
    setAttribute(Qt::WA_TabletTracking);
    const auto sizeCursor = [this](double a, double b, bool maxEnd) {
        Model::DrawingTool* t = d->tool();
        if (!t)
            return;
        const double pa = ToolSlidersPrivate::toToolUnits(a, t->sizeLowerLimit(),
                                                          t->sizeUpperLimit());
        const double pb = ToolSlidersPrivate::toToolUnits(b, t->sizeLowerLimit(),
                                                          t->sizeUpperLimit());
        setCursor(maxEnd ? t->createCursorSizeMax(pa, pb, Model::Tool::m_zoomLevel)
                         : t->createCursorSizeMin(pa, pb, Model::Tool::m_zoomLevel));
    };
    connect(this, &ToolSliders::sizeRangeSliderMovedMin, this,
            [sizeCursor](double a, double b) { sizeCursor(a, b, false); });
    connect(this, &ToolSliders::sizeRangeSliderMovedMax, this,
            [sizeCursor](double a, double b) { sizeCursor(a, b, true); });
    connect(this, &ToolSliders::opacityRangeSliderMoved, this, [this](double a, double b) {
        Model::DrawingTool* t = d->tool();
        if (!t)
            return;
        setCursor(t->createCursorOpacityMinMax(
            ToolSlidersPrivate::toToolUnits(a, t->opacityLowerLimit(), t->opacityUpperLimit()),
            ToolSlidersPrivate::toToolUnits(b, t->opacityLowerLimit(), t->opacityUpperLimit())));
    });
}

ToolSliders::~ToolSliders()
{
    delete d->bubble;
    d->bubble = nullptr;
}

double ToolSliders::sizeRangeLower() const { return d->size.lower; }
double ToolSliders::sizeRangeUpper() const { return d->size.upper; }
double ToolSliders::opacityRangeLower() const { return d->opacity.lower; }
double ToolSliders::opacityRangeUpper() const { return d->opacity.upper; }
double ToolSliders::sizeRangePositionLower() const { return d->size.positionLower; }
double ToolSliders::sizeRangePositionUpper() const { return d->size.positionUpper; }
int ToolSliders::currentToolIdx() const { return d->currentToolIdx; }
int ToolSliders::draggedHandle() const { return d->draggedHandle; }
TextBubble* ToolSliders::textBubble() const { return d->bubble; }
QRect ToolSliders::sizeRow() const { return d->row(d->sizeRowTop); }
QRect ToolSliders::opacityRow() const { return d->row(d->opacityRowTop); }
int ToolSliders::sizeValueToPixel(double value) const { return d->valueToPixel(d->size, value); }
double ToolSliders::sizePixelToValue(int x) const { return d->pixelToValue(d->size, x); }
int ToolSliders::opacityValueToPixel(double value) const
{
    return d->valueToPixel(d->opacity, value);
}
double ToolSliders::opacityPixelToValue(int x) const
{
    return d->pixelToValue(d->opacity, x);
}

void ToolSliders::updateUISize()
{
    d->computeMetrics();
    setFixedSize(d->widgetSize);
    update();
    updateGeometry();
}

void ToolSliders::setSizeRange(double lower, double upper)
{
    if (!ToolSlidersPrivate::setRange(d->size, lower, upper))
        return;
    emit sizeRangeChanged(d->size.lower, d->size.upper);
    update();
}

void ToolSliders::setOpacityRange(double lower, double upper)
{
    if (!ToolSlidersPrivate::setRange(d->opacity, lower, upper))
        return;
    emit opacityRangeChanged(d->opacity.lower, d->opacity.upper);
    update();
}

void ToolSliders::setSizeRangePositions(double positionLower, double positionUpper)
{
    ToolSlidersPrivate::setPositions(d->size, positionLower, positionUpper);
}

void ToolSliders::setOpacityRangePositions(double positionLower, double positionUpper)
{
    ToolSlidersPrivate::setPositions(d->opacity, positionLower, positionUpper);
}

void ToolSliders::setSizeRangePositionLower(double position)
{
    if (ToolSlidersPrivate::setPosition(d->size, true, position) && d->draggedHandle == SizeLower)
        emit sizeRangeSliderMovedMin(d->size.positionLower, d->size.positionUpper);
}

void ToolSliders::setSizeRangePositionUpper(double position)
{
    if (ToolSlidersPrivate::setPosition(d->size, false, position) && d->draggedHandle == SizeUpper)
        emit sizeRangeSliderMovedMax(d->size.positionLower, d->size.positionUpper);
}

void ToolSliders::setOpacityRangePositionLower(double position)
{
    if (ToolSlidersPrivate::setPosition(d->opacity, true, position)
        && d->draggedHandle == OpacityLower)
        emit opacityRangeSliderMoved(d->opacity.positionLower, d->opacity.positionUpper);
}

void ToolSliders::setOpacityRangePositionUpper(double position)
{
    if (ToolSlidersPrivate::setPosition(d->opacity, false, position)
        && d->draggedHandle == OpacityUpper)
        emit opacityRangeSliderMoved(d->opacity.positionLower, d->opacity.positionUpper);
}

void ToolSliders::setSizeRangeLimits(double min, double max)
{
    max = qMax(max, min);
    if (same(min, d->size.min) && same(max, d->size.max)) {
        d->size.min = min;
        d->size.max = max;
        return;
    }
    d->size.min = min;
    d->size.max = max;
    emit sizeRangeLimitsChanged(min, max);
    setSizeRange(d->size.lower, d->size.upper);
}

void ToolSliders::setCurrentToolIdx(int toolIdx)
{
    d->disconnectTool();
    d->currentToolIdx = toolIdx;
    d->readTool();
    d->connectTool();
    update();
}

int ToolSliders::handleAt(QPoint pos) const
{
    const RangeSlider* s;
    int lowerHandle;
    if (pos.y() >= d->sizeRowTop && pos.y() < d->sizeRowTop + d->sliderSize.height()) {
        s = &d->size;
        lowerHandle = SizeLower;
    } else if (pos.y() >= d->opacityRowTop
               && pos.y() < d->opacityRowTop + d->sliderSize.height()) {
        s = &d->opacity;
        lowerHandle = OpacityLower;
    } else {
        return NoHandle;
    }
    if (pos.x() < d->sliderLeft || pos.x() > d->sliderRight)
        return NoHandle;
    const int lowerX = d->valueToPixel(*s, s->lower);
    const int upperX = d->valueToPixel(*s, s->upper);
    const int x = pos.x();
    if (std::abs(x - lowerX) >= std::abs(upperX - x) && lowerX < x)
        return lowerHandle + 1;
    return lowerHandle;
}

bool ToolSliders::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const int handle = handleAt(help->pos());
    if (handle == SizeLower || handle == SizeUpper) {
        QToolTip::showText(help->globalPos(), tr("Adjust Minimum and Maximum Tip Size"));
    } else if (handle == OpacityLower || handle == OpacityUpper) {
        QToolTip::showText(help->globalPos(), tr("Adjust Minimum and Maximum Tip Opacity"));
    } else {
        QToolTip::showText(help->globalPos(), QString());
        event->ignore();
    }
    return true;
}

void ToolSliders::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (PenAsMouse::isEcho(event->timestamp(), d->lastEventTime))
        return;
    d->draggedHandle = handleAt(event->position().toPoint());
    mouseMoveEvent(event);
    d->lastEventTime = event->timestamp();
    event->accept();
}

void ToolSliders::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const int previousHover = d->hoveredHandle;
    d->hoveredHandle = handleAt(pos);
    const int handle = d->draggedHandle;
    if (handle == NoHandle) {
        if (d->hoveredHandle == previousHover)
            event->ignore();
        else
            update();
        return;
    }
    event->accept();
    const int x = qBound(d->sliderLeft, pos.x(), d->sliderRight);
    const bool sizeEnd = handle <= SizeUpper;
    RangeSlider& s = sizeEnd ? d->size : d->opacity;
    const bool lowerEnd = handle % 2 == 0;
    (lowerEnd ? s.handleXLower : s.handleXUpper) = x;
    const double value = s.clamp(d->pixelToValue(s, x));
    switch (handle) {
    case SizeLower:
        setSizeRangePositionLower(value);
        break;
    case SizeUpper:
        setSizeRangePositionUpper(value);
        break;
    case OpacityLower:
        setOpacityRangePositionLower(value);
        break;
    default:
        setOpacityRangePositionUpper(value);
        break;
    }
    d->updateBubble();
    update();
}

void ToolSliders::mouseReleaseEvent(QMouseEvent* event)
{
    mouseMoveEvent(event);
    Model::DrawingTool* t = d->tool();
    if (d->draggedHandle == SizeLower || d->draggedHandle == SizeUpper) {
        update();
        setSizeRange(d->size.positionLower, d->size.positionUpper);
        if (t)
            t->setSizeRangePercent(d->size.lower, d->size.upper);
    } else if (d->draggedHandle == OpacityLower || d->draggedHandle == OpacityUpper) {
        update();
        setOpacityRange(d->opacity.positionLower, d->opacity.positionUpper);
        if (t)
            t->setOpacityRangePercent(d->opacity.lower, d->opacity.upper);
    }
    d->draggedHandle = NoHandle;
    unsetCursor();
    d->bubble->hide();
    event->accept();
    d->lastEventTime = event->timestamp();
}

void ToolSliders::tabletEvent(QTabletEvent* event)
{
    PenAsMouse::deliver(
        event, [this](QMouseEvent* e) { mousePressEvent(e); },
        [this](QMouseEvent* e) { mouseMoveEvent(e); },
        [this](QMouseEvent* e) { mouseReleaseEvent(e); });
}

void ToolSliders::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    d->draggedHandle = NoHandle;
    d->disconnectTool();
    Model::DrawingTool* t = d->tool();
    if (auto* pen = qobject_cast<Model::PenTool*>(t))
        d->currentToolIdx = pen->penType();
    else if (auto* eraser = qobject_cast<Model::EraserTool*>(t))
        d->currentToolIdx = eraser->eraserType();
    else
        d->currentToolIdx = -1;
    d->readTool();
    d->connectTool();
}

void ToolSliders::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    d->currentToolIdx = -1;
    d->disconnectTool();
}

void ToolSliders::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const float s = d->scale;
    if (d->currentToolIdx >= 0 && d->currentToolIdx < 3) {
        const double cx = (40 * d->currentToolIdx - 40) * s + std::floor(width() / 2.0);
        const QPixmap triangle = d->dropdownIcon.pixmap(QSize(scaled(13, s), scaled(9, s)),
                                                        QIcon::Normal, QIcon::On);
        painter.drawPixmap(int(int(cx) - 6 * s), 0, triangle);
        if (Model::DrawingTool* t = d->tool()) {
            painter.save();
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setFont(d->nameFont);
            painter.setPen(d->namePen);
            const int nameWidth = scaled(120, s);
            const int nameHeight = scaled(18, s);
            const QRect nameRect(int(cx) - (nameWidth - 1) / 2,
                                 scaled(16, s) - (nameHeight - 1) / 2, nameWidth, nameHeight);
            const QString name =
                painter.fontMetrics().elidedText(t->displayName(), Qt::ElideRight, nameWidth);
            painter.drawText(nameRect, Qt::AlignCenter, name);
            painter.restore();
        }
    }
    const QRect sizeRect = sizeRow();
    const QRect opacityRect = opacityRow();
    painter.save();
    painter.setClipRect(sizeRect);
    d->sizeBackground.render(&painter, QRectF(sizeRect));
    painter.setClipRect(opacityRect);
    d->opacityBackground.render(&painter, QRectF(opacityRect));
    painter.restore();

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(d->captionFont);
    painter.setPen(d->captionPen);
    painter.drawText(sizeRect.translated(0, -d->captionOffset), Qt::AlignLeft | Qt::AlignTop,
                     tr("Size (min/max)"));
    painter.drawText(opacityRect.translated(0, -d->captionOffset), Qt::AlignLeft | Qt::AlignTop,
                     tr("Opacity (min/max)"));
    painter.restore();

    d->paintForeground(painter, d->size, d->sizeBackground, d->sizeForeground, d->sizeRowTop,
                       SizeLower);
    d->paintForeground(painter, d->opacity, d->opacityBackground, d->opacityForeground,
                       d->opacityRowTop, OpacityLower);
}

} // namespace UI
