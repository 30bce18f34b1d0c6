#pragma once

#include "timeline/Timeline.h"

#include <QIcon>
#include <QLinearGradient>
#include <QPoint>
#include <QPointF>

namespace UI {

class TextBubble;

// The timeline's state and its scaled geometry, shared by its input and its
// painting.
struct Timeline::Private
{
    explicit Private(Timeline* q);

    Timeline* q;
    int value = 0;
    int sliderPosition = 0;
    int rangeLower = 40;
    int rangeUpper = 70;
    int positionLower = 40;
    int positionUpper = 70;
    int minimum = 0;
    int maximum = 100;
    int pressed = Nothing;
    QPointF pressPosition;
    QPoint grabOffset;
    bool dragStarted = false;
    int knobDragX = 0;
    int lowerDragX = 40;
    int upperDragX = 70;
    int rangePixelWidth = 30;
    TextBubble* lowerBubble = nullptr;
    TextBubble* upperBubble = nullptr;

    // Geometry (s = the interface scale).
    double s = 1.0;
    int fixedHeight = 60;
    double playheadY = 24.5;
    double rangeY = 46.5;
    int playStart = 0, playEnd = 0;
    int rangeStart = 0, rangeEnd = 0;
    int tickBaseY = 22;
    int fontPixelSize = 11;
    int penWidth = 2;
    QIcon knob, rangeLeft, rangeMiddle, rangeRight;

    void computeGeometry();
    void computeWidthGeometry();

    int clampPlayhead(int frame) const;
    void reclampValue();
    // Orders and bounds a range; the ends differ unless the limits are equal.
    std::pair<int, int> boundedRange(int lower, int upper) const;
    void commitRange(int lower, int upper, bool announce);
    int clampToLimits(int frame) const;

    // Pixel x of a frame, and frame at a pixel x, on the two rows.
    static int pixelOf(int frame, int lo, int hi, int start, int end);
    static int frameAt(int x, int lo, int hi, int start, int end);
    int playheadPixel(int frame, int lo, int hi) const { return pixelOf(frame, lo, hi, playStart, playEnd); }
    int rangePixel(int frame) const { return pixelOf(frame, minimum, maximum, rangeStart, rangeEnd); }
    int rangeFrameAt(int x) const { return frameAt(x, minimum, maximum, rangeStart, rangeEnd); }
    // The frames the playhead row shows: the dragged range ends while dragging.
    std::pair<int, int> shownRange() const;

    struct Hit
    {
        int part = Nothing;
        QPoint grabOffset;
        int rangePixelWidth = 0;
    };
    Hit hitTest(QPoint p) const;
    void handleMove(QPointF position);
    void placeBubbles();
};

} // namespace UI
