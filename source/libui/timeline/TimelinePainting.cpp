#include "timeline/Timeline.h"

#include "timeline/TimelinePrivate.h"

#include <QPainter>
#include <QPaintEvent>

#include <cmath>

namespace UI {

namespace {

int rounded(double v)
{
    return int(std::lround(v));
}

// First multiple of step at or after lo.
qint64 firstMultiple(qint64 lo, qint64 step)
{
    const qint64 q = lo / step;
    return (q * step < lo) ? (q + 1) * step : q * step;
}

// Grows a step alternately by 2 and by 2.5 (truncated), doubling first, while
// the ticks would stand closer than `minimumSpacing` pixels; never past the
// range's own length, which ends the loop whatever the spacing.
qint64 grow(qint64 step, double pixelsPerFrame, double minimumSpacing, qint64 length)
{
    bool doubling = true;
    while (pixelsPerFrame * step < minimumSpacing && step <= length) {
        step = doubling ? step * 2 : qint64(step * 2.5);
        doubling = !doubling;
    }
    return step;
}

} // namespace

Timeline::TickSteps Timeline::tickSteps(int span, int lo, int hi)
{
    TickSteps steps;
    if (span <= 0 || hi < lo)
        return steps;
    const qint64 length = qint64(hi) - lo + 1;
    const double q = (span + 1.0) / double(length);
    steps.minor = grow(1, q, 10.0, length);
    steps.major = grow(steps.minor, q, 50.0, length);
    return steps;
}

void Timeline::paintEvent(QPaintEvent* event)
{
    d->computeWidthGeometry();
    QPainter p(this);
    const Private& s = *d;
    const int W = width();
    const double k = s.s;

    // 1. Background and its top edge.
    QLinearGradient background(0, 0, 0, int(60 * k));
    background.setColorAt(0, QColor(108, 104, 100));
    background.setColorAt(1, QColor(92, 88, 84));
    p.fillRect(event->rect(), background);
    p.setPen(QColor(132, 128, 124));
    p.drawLine(0, 0, W, 0);
    const double previousPenHalf = p.pen().widthF() / 2.0;

    const auto [lo, hi] = s.shownRange();
    const int span = s.playEnd - s.playStart;
    const bool dragging = s.pressed == Playhead;
    const bool knobShown = dragging || (s.sliderPosition >= lo && s.sliderPosition <= hi);

    // 2. The current frame's column.
    if (knobShown && span > 0) {
        QRectF column;
        if (lo == hi) {
            column = QRectF(s.playStart, 0, span + 1, 24.5);
        } else {
            const int cell = std::max(1, (span + 1) / (hi - lo));
            const int x = s.playheadPixel(s.sliderPosition, lo, hi);
            column = QRectF(x - cell / 2, 0, cell, 24.5);
        }
        p.fillRect(column, QColor(255, 255, 255, 16));
    }

    // 3. and 4. Ticks and numbers, only where there is room for them.
    const TickSteps steps = tickSteps(span, lo, hi);
    if (steps.minor > 0) {
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QColor(64, 64, 64));
        auto ticks = [&](qint64 step, int height) {
            for (qint64 f = firstMultiple(lo, step); f <= hi; f += step) {
                const int x = s.playheadPixel(int(f), lo, hi);
                p.drawLine(x, s.tickBaseY - height, x, s.tickBaseY - 1);
            }
        };
        ticks(steps.minor, 2);
        ticks(steps.major, 4);

        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(Qt::black);
        QFont font = p.font();
        auto numberRect = [&](int frame, int extraWidth, const QFont& f) {
            const QFontMetrics m(f);
            const QRect text = m.boundingRect(QString::number(frame));
            const int w = text.width() + extraWidth;
            const int x = s.playheadPixel(frame, lo, hi);
            return QRect(x - w / 2, 0, w, text.height() + 6);
        };
        QRect ends[2];
        if (lo != hi) {
            const int frames[2] = {lo, hi};
            const bool atLimit[2] = {lo == s.minimum, hi == s.maximum};
            for (int i = 0; i < 2; ++i) {
                QFont f = font;
                f.setWeight(atLimit[i] ? QFont::Normal : QFont::Bold);
                f.setPixelSize(std::max(1, s.fontPixelSize + (atLimit[i] ? 0 : 1)));
                p.setFont(f);
                ends[i] = numberRect(frames[i], 2, f);
                p.drawText(ends[i], Qt::AlignBottom | Qt::AlignHCenter, QString::number(frames[i]));
            }
        }
        QFont normal = font;
        normal.setWeight(QFont::Normal);
        normal.setPixelSize(std::max(1, s.fontPixelSize));
        p.setFont(normal);
        for (qint64 f = firstMultiple(lo, steps.major); f <= hi; f += steps.major) {
            const QRect r = numberRect(int(f), 30, normal);
            if (r.intersects(ends[0]) || r.intersects(ends[1]))
                continue;
            p.drawText(r, Qt::AlignBottom | Qt::AlignHCenter, QString::number(f));
        }
    }

    // 5. The two tracks.
    p.setRenderHint(QPainter::Antialiasing, true);
    const QPen outline(QColor(0, 0, 0, 64), s.penWidth);
    auto track = [&](double centreY, bool clipped) {
        const QRectF r(26, centreY - 2.5 * k, W - 52, 5 * k);
        QLinearGradient fill(0, r.top(), 0, r.bottom());
        fill.setColorAt(0, QColor(48, 48, 48));
        fill.setColorAt(1, QColor(96, 96, 96));
        p.save();
        if (clipped) {
            QRectF clip(0, 0, W, height());
            if (lo != s.minimum) {
                const int x = s.playheadPixel(lo, lo, hi);
                p.save();
                p.setOpacity(0.5);
                p.fillRect(QRectF(0, r.top(), x, r.height()), fill);
                p.setPen(outline);
                p.drawLine(QPointF(0, r.top()), QPointF(x - previousPenHalf, r.top()));
                p.drawLine(QPointF(0, r.bottom()), QPointF(x - previousPenHalf, r.bottom()));
                p.restore();
                clip.setLeft(x);
            }
            if (hi != s.maximum) {
                const int x = s.playheadPixel(hi, lo, hi) + 1;
                p.save();
                p.setOpacity(0.5);
                p.fillRect(QRectF(x, r.top(), W - x, r.height()), fill);
                p.setPen(outline);
                p.drawLine(QPointF(x + previousPenHalf, r.top()), QPointF(W, r.top()));
                p.drawLine(QPointF(x + previousPenHalf, r.bottom()), QPointF(W, r.bottom()));
                p.restore();
                clip.setRight(x);
            }
            p.setClipRect(clip);
        }
        p.setPen(outline);
        p.setBrush(fill);
        p.drawRoundedRect(r, 2.5 * k, 2.5 * k);
        p.restore();
    };
    track(s.playheadY, true);
    track(s.rangeY, false);

    // 6. The knob.
    if (knobShown) {
        const int x = dragging ? s.knobDragX : s.playheadPixel(s.sliderPosition, lo, hi);
        const QSize size(rounded(39 * k), rounded(39 * k));
        p.drawPixmap(QPoint(rounded(x - 19 * k), rounded(24.5 * k - 18 * k)),
                     s.knob.pixmap(size, devicePixelRatioF()));
    }

    // 7. The range slider.
    p.setRenderHint(QPainter::Antialiasing, false);
    int left = s.rangePixel(s.positionLower) - 1;
    int right = s.minimum == s.maximum ? s.rangeEnd : s.rangePixel(s.positionUpper) + 1;
    if (s.pressed == LowerHandle || s.pressed == RangeMiddle)
        left = s.lowerDragX - 1;
    if (s.pressed == UpperHandle || s.pressed == RangeMiddle)
        right = s.upperDragX + 1;
    const int R = rounded(13.5 * k);
    const int top = rounded(46.5 * k - R);
    const int bottom = rounded(46.5 * k + rounded(17.5 * k));
    const QSize piece(int(14 * k), int(31 * k));
    const double ratio = devicePixelRatioF();
    p.drawPixmap(QRect(QPoint(left - R, top), piece), s.rangeLeft.pixmap(QSize(14, 31), ratio));
    if (right > left)
        p.drawPixmap(QRect(left, top, right - left, bottom - top), s.rangeMiddle.pixmap(QSize(1, 31), ratio));
    p.drawPixmap(QRect(QPoint(right, top), piece), s.rangeRight.pixmap(QSize(14, 31), ratio));
    p.setPen(QColor(64, 62, 60, 153));
    const int width = right - left;
    const int middle = (left + right) / 2;
    const double y0 = 46.5 * k - 2.5 * k;
    const double y1 = y0 + 3 * k + ratio;
    QList<int> grips;
    if (width > 0)
        grips << middle;
    if (width > 7)
        grips << left + 1 << right - 1;
    if (width > 15)
        grips << middle - 4 << middle + 4;
    for (int x : grips)
        p.drawLine(QPointF(x, y0), QPointF(x, y1));
}

} // namespace UI
