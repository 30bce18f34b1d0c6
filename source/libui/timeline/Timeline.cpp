#include "timeline/Timeline.h"

#include "canvas/TextBubble.h"
#include "settings/Settings.h"
#include "timeline/TimelinePrivate.h"

#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace UI {

namespace {
int rounded(double v)
{
    return int(std::lround(v));
}
} // namespace

Timeline::Private::Private(Timeline* q)
    : q(q)
    , knob(QStringLiteral(":/timeline/knob.svg"))
    , rangeLeft(QStringLiteral(":/timeline/rangeslider-left.svg"))
    , rangeMiddle(QStringLiteral(":/timeline/rangeslider-middle.svg"))
    , rangeRight(QStringLiteral(":/timeline/rangeslider-right.svg"))
{
}

void Timeline::Private::computeGeometry()
{
    s = Model::Settings::instance()->UIScaleFraction();
    fixedHeight = int(60 * s);
    playheadY = 24.5 * s;
    rangeY = 46.5 * s;
    tickBaseY = int(24.5 * s - 2.5 * s);
    fontPixelSize = int(11 * s);
    penWidth = int(2 * s);
    computeWidthGeometry();
}

void Timeline::Private::computeWidthGeometry()
{
    const int trackWidth = q->width() - 52;
    playStart = int(26 + 4 * s);
    playEnd = int(26 + trackWidth - 4 * s);
    rangeStart = int(26 + 2.5 * s);
    rangeEnd = int(26 + trackWidth - 2.5 * s);
}

int Timeline::Private::clampPlayhead(int frame) const
{
    return std::max(std::min(frame, maximum + 1), rangeLower);
}

void Timeline::Private::reclampValue()
{
    const int c = clampPlayhead(value);
    if (value != c || sliderPosition != c) {
        value = sliderPosition = c;
        q->update();
    }
}

int Timeline::Private::clampToLimits(int frame) const
{
    return std::clamp(frame, minimum, maximum);
}

std::pair<int, int> Timeline::Private::boundedRange(int lower, int upper) const
{
    int lo = clampToLimits(lower);
    int hi = clampToLimits(upper);
    if (lo > hi)
        std::swap(lo, hi);
    if (lo == hi && minimum != maximum) {
        if (lo != minimum)
            --lo;
        else
            hi = minimum + 1;
    }
    return {lo, hi};
}

void Timeline::Private::commitRange(int lower, int upper, bool announce)
{
    const auto [lo, hi] = boundedRange(lower, upper);
    if (rangeLower == lo && positionLower == lo && rangeUpper == hi && positionUpper == hi)
        return;
    rangeLower = positionLower = lo;
    rangeUpper = positionUpper = hi;
    if (announce)
        emit q->rangeChanged(lo, hi);
    reclampValue();
    q->update();
}

int Timeline::Private::pixelOf(int frame, int lo, int hi, int start, int end)
{
    if (lo == hi)
        return start + (end - start) / 2;
    const int clamped = std::clamp(frame, std::min(lo, hi), std::max(lo, hi));
    return start + QStyle::sliderPositionFromValue(lo, hi, clamped, std::max(0, end - start));
}

int Timeline::Private::frameAt(int x, int lo, int hi, int start, int end)
{
    if (lo == hi)
        return lo;
    return QStyle::sliderValueFromPosition(lo, hi, x - start, std::max(0, end - start));
}

std::pair<int, int> Timeline::Private::shownRange() const
{
    switch (pressed) {
    case LowerHandle: return {positionLower, rangeUpper};
    case RangeMiddle: return {positionLower, positionUpper};
    case UpperHandle: return {rangeLower, positionUpper};
    default: return {rangeLower, rangeUpper};
    }
}

Timeline::Private::Hit Timeline::Private::hitTest(QPoint p) const
{
    Hit hit;
    if (std::abs(p.y() - rangeY) > std::abs(p.y() - playheadY)) {
        hit.part = Playhead;
        const QPoint knobCentre(playheadPixel(sliderPosition, rangeLower, rangeUpper), int(playheadY));
        const QPoint d = knobCentre - p;
        if (d.x() * d.x() + d.y() * d.y() < 65)
            hit.grabOffset = d;
        return hit;
    }
    const int L = rangePixel(rangeLower);
    const int U = rangePixel(rangeUpper);
    const int M = (L + U) / 2;
    const int x = p.x();
    const int dL = std::abs(x - (L == M ? L - 1 : L));
    const int dU = std::abs((U == M ? U + 1 : U) - x);
    const int dM = std::abs(x - M);
    const int dy = int(rangeY) - p.y();
    if (dL < 9 && dL < dU && dM >= 4) {
        hit.part = LowerHandle;
        hit.grabOffset = QPoint(L - x, dy);
    } else if (dU < 9 && dU < dL && dM >= 4) {
        hit.part = UpperHandle;
        hit.grabOffset = QPoint(U - x, dy);
    } else if (dM >= 5 && !(x > L && x < U)) {
        hit.part = Nothing;
    } else {
        hit.part = RangeMiddle;
        hit.grabOffset = QPoint(L - x, dy);
        hit.rangePixelWidth = U - L;
    }
    return hit;
}

void Timeline::Private::handleMove(QPointF position)
{
    const bool wasStarted = dragStarted;
    const QPointF travel = position - pressPosition;
    dragStarted |= std::abs(travel.x()) + std::abs(travel.y()) >= QApplication::startDragDistance();
    const bool justStarted = dragStarted && !wasStarted;
    const int X = rounded(position.x()) + grabOffset.x();

    switch (pressed) {
    case Playhead: {
        knobDragX = std::clamp(X, playStart, std::max(playStart, playEnd));
        const int f = frameAt(X, rangeLower, rangeUpper, playStart, playEnd);
        if (justStarted)
            emit q->sliderDragged(f);
        const int c = clampPlayhead(f);
        if (c != sliderPosition) {
            sliderPosition = c;
            emit q->sliderMoved(c);
            q->update();
        }
        return;
    }
    case LowerHandle: {
        lowerDragX = std::max(std::min(X, rangePixel(rangeUpper)), rangeStart);
        const int f = std::min(clampToLimits(rangeFrameAt(lowerDragX)), rangeUpper);
        if (f != positionLower) {
            positionLower = f;
            emit q->rangeSliderMoved(f, positionUpper);
        }
        break;
    }
    case RangeMiddle: {
        lowerDragX = std::max(rangeStart, std::min(X, rangeEnd - rangePixelWidth));
        upperDragX = std::clamp(lowerDragX + rangePixelWidth, rangeStart, std::max(rangeStart, rangeEnd));
        const int f = rangeFrameAt(lowerDragX);
        int lo = clampToLimits(f);
        int hi = clampToLimits(f + (positionUpper - positionLower));
        if (lo > hi)
            std::swap(lo, hi);
        if (lo != positionLower || hi != positionUpper) {
            positionLower = lo;
            positionUpper = hi;
            emit q->rangeSliderMoved(lo, hi);
        }
        break;
    }
    case UpperHandle: {
        upperDragX = std::max(std::min(X, rangeEnd), rangePixel(rangeLower));
        const int f = std::max(clampToLimits(rangeFrameAt(upperDragX)), rangeLower);
        if (f != positionUpper) {
            positionUpper = f;
            emit q->rangeSliderMoved(positionLower, f);
        }
        break;
    }
    default:
        return;
    }
    placeBubbles();
    q->update();
}

void Timeline::Private::placeBubbles()
{
    const bool lowerShown = pressed == LowerHandle || pressed == RangeMiddle;
    const bool upperShown = pressed == UpperHandle || pressed == RangeMiddle;
    lowerBubble->setNumber(positionLower);
    upperBubble->setNumber(positionUpper);
    auto rectFor = [this](TextBubble* bubble, int x) {
        const QSize size = bubble->bubbleSize();
        return QRect(x - (size.width() - 1) / 2, int(playheadY) - (size.height() - 1) / 2, size.width(),
                     size.height());
    };
    QRect lower = lowerShown ? rectFor(lowerBubble, lowerDragX) : QRect();
    QRect upper = upperShown ? rectFor(upperBubble, upperDragX) : QRect();
    const int leftBound = 26 - 3;
    const int rightBound = 26 + (q->width() - 52) + 2;
    if (lowerShown && upperShown) {
        const int total = lower.width() + upper.width() + 3;
        const int overlap = lower.right() + 5 - upper.left();
        if (overlap >= 1) {
            lower.translate(-(overlap / 2), 0);
            upper.translate(overlap - overlap / 2, 0);
        }
        if (upper.right() < leftBound + total) {
            lower.moveLeft(leftBound);
            upper.moveRight(leftBound + total);
        } else if (rightBound - total < lower.left()) {
            lower.moveLeft(rightBound - total);
            upper.moveRight(rightBound);
        }
    }
    for (QRect* r : {&lower, &upper}) {
        if (r->isNull())
            continue;
        if (r->left() < leftBound)
            r->moveLeft(leftBound);
        if (r->right() > rightBound)
            r->moveRight(rightBound);
    }
    lowerBubble->setVisible(lowerShown);
    upperBubble->setVisible(upperShown);
    if (lowerShown)
        lowerBubble->setBubbleParams(lower, lowerDragX);
    if (upperShown)
        upperBubble->setBubbleParams(upper, upperDragX);
}

Timeline::Timeline(QWidget* parent)
    : QWidget(parent)
    , d(std::make_unique<Private>(this))
{
    d->lowerBubble = new TextBubble(this);
    d->upperBubble = new TextBubble(this);
    d->lowerBubble->hide();
    d->upperBubble->hide();
    setFocusPolicy(Qt::NoFocus);
    setMinimumWidth(50);
    d->computeGeometry();
    setFixedHeight(d->fixedHeight);
}

Timeline::~Timeline() = default;

int Timeline::value() const { return d->value; }
int Timeline::sliderPosition() const { return d->sliderPosition; }
int Timeline::rangeLower() const { return d->rangeLower; }
int Timeline::rangeUpper() const { return d->rangeUpper; }
int Timeline::minimumLimit() const { return d->minimum; }
int Timeline::maximumLimit() const { return d->maximum; }

void Timeline::updateUISize()
{
    d->computeGeometry();
    setFixedHeight(d->fixedHeight);
    update();
    updateGeometry();
}

void Timeline::setValue(int value)
{
    const int c = d->clampPlayhead(value);
    if (d->value == c && d->sliderPosition == c)
        return;
    d->value = d->sliderPosition = c;
    emit valueChanged(c);
    update();
}

void Timeline::setSliderPosition(int position)
{
    const int c = d->clampPlayhead(position);
    if (c == d->sliderPosition)
        return;
    d->sliderPosition = c;
    if (d->pressed == Playhead)
        emit sliderMoved(c);
    update();
}

void Timeline::setRange(int lower, int upper)
{
    d->commitRange(lower, upper, true);
}

void Timeline::setRangeLower(int lower)
{
    const int a = d->clampToLimits(lower);
    int l = a;
    if (a >= d->rangeUpper)
        l = d->rangeUpper == d->minimum ? d->rangeUpper : d->rangeUpper - 1;
    if (d->rangeLower == l && d->positionLower == l)
        return;
    d->rangeLower = d->positionLower = l;
    emit rangeChanged(l, d->rangeUpper);
    d->reclampValue();
    update();
}

void Timeline::setRangeUpper(int upper)
{
    const int a = d->clampToLimits(upper);
    int u = a;
    if (a <= d->rangeLower)
        u = d->rangeLower == d->maximum ? d->rangeLower : d->rangeLower + 1;
    if (d->rangeUpper == u && d->positionUpper == u)
        return;
    d->rangeUpper = d->positionUpper = u;
    emit rangeChanged(d->rangeLower, u);
    d->reclampValue();
    update();
}

void Timeline::setRangePositions(int positionLower, int positionUpper)
{
    int lo = d->clampToLimits(positionLower);
    int hi = d->clampToLimits(positionUpper);
    if (lo > hi)
        std::swap(lo, hi);
    if (lo == d->positionLower && hi == d->positionUpper)
        return;
    d->positionLower = lo;
    d->positionUpper = hi;
    if (d->pressed == RangeMiddle)
        emit rangeSliderMoved(lo, hi);
}

void Timeline::setRangePositionLower(int positionLower)
{
    const int p = std::min(d->rangeUpper, d->clampToLimits(positionLower));
    if (p == d->positionLower)
        return;
    d->positionLower = p;
    if (d->pressed == LowerHandle)
        emit rangeSliderMoved(p, d->positionUpper);
}

void Timeline::setRangePositionUpper(int positionUpper)
{
    const int p = std::max(d->clampToLimits(positionUpper), d->rangeLower);
    if (p == d->positionUpper)
        return;
    d->positionUpper = p;
    if (d->pressed == UpperHandle)
        emit rangeSliderMoved(d->positionLower, p);
}

void Timeline::setRangeLimits(int min, int max)
{
    const int top = std::max(min, max);
    if (d->minimum == min && d->maximum == top)
        return;
    d->minimum = min;
    d->maximum = top;
    emit rangeLimitsChanged(min, top);
    d->commitRange(d->rangeLower, d->rangeUpper, false);
    // A range that stayed the same may still leave the value outside the new bounds.
    d->reclampValue();
}

bool Timeline::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    d->computeWidthGeometry();
    const Private::Hit hit = d->hitTest(help->pos());
    QString text;
    switch (hit.part) {
    case Playhead:
        text = hit.grabOffset.isNull() ? tr("Timeline") : tr("Playhead at frame %1").arg(d->value);
        break;
    case LowerHandle: text = tr("Frame Range starts at frame %1").arg(d->rangeLower); break;
    case RangeMiddle: text = tr("Frame Range"); break;
    case UpperHandle: text = tr("Frame Range ends at frame %1").arg(d->rangeUpper); break;
    default: break;
    }
    if (text.isEmpty()) {
        QToolTip::hideText();
        event->ignore();
    } else {
        QToolTip::showText(help->globalPos(), text, this);
    }
    return true;
}

void Timeline::keyPressEvent(QKeyEvent*)
{
}

void Timeline::mousePressEvent(QMouseEvent* event)
{
    // A widget resized while hidden gets its resize event only when shown.
    d->computeWidthGeometry();
    d->pressPosition = event->position();
    const QPoint p(rounded(event->position().x()), rounded(event->position().y()));
    const Private::Hit hit = d->hitTest(p);
    d->pressed = hit.part;
    d->grabOffset = hit.grabOffset;
    if (hit.part == RangeMiddle)
        d->rangePixelWidth = hit.rangePixelWidth;
    if (hit.part >= LowerHandle && hit.part <= UpperHandle)
        emit rangeSliderPressed();
    else if (hit.part == Playhead)
        emit sliderPressed();
    mouseMoveEvent(event);
}

void Timeline::mouseMoveEvent(QMouseEvent* event)
{
    if (d->pressed == Nothing) {
        event->ignore();
        return;
    }
    event->accept();
    d->handleMove(event->position());
}

void Timeline::mouseReleaseEvent(QMouseEvent* event)
{
    d->handleMove(event->position());
    switch (d->pressed) {
    case Playhead: {
        const int c = d->clampPlayhead(d->sliderPosition);
        if (d->value != c || d->sliderPosition != c) {
            d->value = d->sliderPosition = c;
            emit valueChanged(c);
        }
        emit sliderReleased(d->sliderPosition);
        break;
    }
    case LowerHandle:
        setRangeLower(d->positionLower);
        emit rangeSliderReleased();
        break;
    case RangeMiddle:
        d->commitRange(d->positionLower, d->positionUpper, true);
        emit rangeSliderReleased();
        break;
    case UpperHandle:
        setRangeUpper(d->positionUpper);
        emit rangeSliderReleased();
        break;
    default:
        break;
    }
    d->pressed = Nothing;
    d->dragStarted = false;
    d->lowerBubble->hide();
    d->upperBubble->hide();
    update();
}

void Timeline::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    d->computeWidthGeometry();
}

} // namespace UI
