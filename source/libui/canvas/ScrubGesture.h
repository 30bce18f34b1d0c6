#pragma once

#include <QPointF>

#include <climits>

namespace UI {

// Scrubbing on the canvas: pointer travel becomes a frame offset, 16 pixels
// right or down per frame, left and up counting back. Each drag goes on from
// the offset the previous drags reached, kept within the scrub bounds once
// the drag ends.
class ScrubGesture
{
public:
    // Tells the scrubbing tool that a scrub began (once per tool lifetime).
    void press();
    // The offset to show while dragging from pressPosition to position; not
    // bounded, so the drag feels direct.
    int move(QPointF const& pressPosition, QPointF const& position) const;
    // Keeps the drag's offset, bounded, for the next drag.
    void release(QPointF const& pressPosition, QPointF const& position);

    // The scrubbing tool became current: start from the current frame again.
    void resetBase() { m_base = 0; }
    int base() const { return m_base; }
    void setBounds(int minimum, int maximum);

private:
    int m_base = 0;
    int m_minimum = INT_MIN;
    int m_maximum = INT_MAX;
};

} // namespace UI
