#include "xsheet/OpacitySlider.h"

#include "xsheet/OpacitySliderGraphicsEffect.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include <cmath>

namespace UI {

namespace {
constexpr int sliderWidth = 44;
constexpr int sliderHeight = 112;
} // namespace

struct OpacitySlider::Private
{
    int layerIdx = -1;
    double opacity = 1.0;
    double shownOpacity = 1.0;
    QColor color;
    bool pressed = false;
    bool emitting = false;
    QRect trackingArea;
    QLinearGradient background{0, 1, 0, 112};
    QLinearGradient checker{0, 1, 0, 112};
    QPainterPath checkerPath;

    // The widget's rectangle grown by its own size on every side.
    void updateTrackingArea(QSize size)
    {
        const int W = size.width();
        const int H = size.height();
        trackingArea = QRect(QPoint(-W, -H), QPoint(2 * W - 1, 2 * H - 1));
    }

    void reportMove(OpacitySlider* q, double value)
    {
        const bool was = emitting;
        emitting = true;
        emit q->opacitySliderMoved(layerIdx, value);
        emitting = was;
    }
};

OpacitySlider::OpacitySlider(QWidget* parent)
    : QWidget(parent)
    , d(std::make_unique<Private>())
{
    d->background.setColorAt(0, QColor(119, 115, 111));
    d->background.setColorAt(1, QColor(101, 97, 92));
    d->checker.setColorAt(0, QColor(95, 92, 89));
    d->checker.setColorAt(1, QColor(77, 74, 71));
    setFixedSize(sliderWidth, sliderHeight);
    d->updateTrackingArea(size());
    const QRect r = rect();
    d->checkerPath.setFillRule(Qt::OddEvenFill);
    for (int y = r.top() + 3; y <= r.bottom(); y += 6)
        d->checkerPath.addRect(r.left(), y, r.width(), 3);
    for (int x = 3; x <= r.right(); x += 6)
        d->checkerPath.addRect(x, r.top(), 3, r.height());
    QPainterPath rounded;
    rounded.addRoundedRect(QRectF(r), 4, 4);
    setMask(QRegion(rounded.toFillPolygon().toPolygon()));
    setFocusPolicy(Qt::ClickFocus);
    setGraphicsEffect(new OpacitySliderGraphicsEffect(this));
}

OpacitySlider::~OpacitySlider() = default;

int OpacitySlider::layerIdx() const
{
    return d->layerIdx;
}

double OpacitySlider::opacity() const
{
    return d->opacity;
}

void OpacitySlider::setLayerIdx(int layerIdx)
{
    d->layerIdx = layerIdx;
}

void OpacitySlider::setColor(const QColor& color)
{
    if (color == d->color)
        return;
    d->color = color;
    update();
}

void OpacitySlider::setOpacity(double opacity)
{
    if (d->emitting || qFuzzyCompare(1.0 + opacity, 1.0 + d->opacity))
        return;
    d->opacity = d->shownOpacity = opacity;
    update();
}

void OpacitySlider::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    d->updateTrackingArea(size());
}

void OpacitySlider::mousePressEvent(QMouseEvent* event)
{
    d->pressed = true;
    mouseMoveEvent(event);
}

void OpacitySlider::mouseMoveEvent(QMouseEvent* event)
{
    if (!d->pressed)
        return;
    const QPoint p = event->position().toPoint();
    double o = d->opacity;
    if (d->trackingArea.contains(p)) {
        o = 1.0 - p.y() / double(sliderHeight);
        if (o > 0.95)
            o = 1.0;
        else if (o < 0.05)
            o = 0.0;
    }
    d->shownOpacity = o;
    update();
    d->reportMove(this, o);
}

void OpacitySlider::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint p = event->position().toPoint();
    if (d->pressed && d->trackingArea.contains(p)) {
        update();
        const double previous = d->opacity;
        d->opacity = d->shownOpacity;
        emit opacityChanged(d->layerIdx, previous, d->shownOpacity);
    } else {
        d->shownOpacity = d->opacity;
        update();
        d->reportMove(this, d->opacity);
    }
    d->pressed = false;
}

void OpacitySlider::focusOutEvent(QFocusEvent* event)
{
    QWidget::focusOutEvent(event);
    close();
}

bool OpacitySlider::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const QString text = tr("Set Layer Opacity");
        if (text.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), text, this);
        }
        return true;
    }
    return QWidget::event(event);
}

void OpacitySlider::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), d->background);
    p.setPen(Qt::NoPen);
    p.setBrush(d->checker);
    p.drawPath(d->checkerPath);
    p.restore();
    const double top = (1.0 - d->shownOpacity) * sliderHeight;
    p.fillRect(QRectF(0, top, width(), height() - top), d->color);
}

} // namespace UI
