#pragma once

#include <QPointF>

namespace UI {

// Pen adjustment on the canvas: with Alt held on the pen or eraser, a drag
// sideways scales the tool's size range and a drag up or down its opacity
// range, 1.25 for every 10 pixels. The first movement beyond the start-drag
// distance picks the axis for the rest of the drag; the factor always refers
// to the ranges at the press, so only the total travel counts.
class PenAdjustmentGesture
{
public:
    enum Axis { Undecided = 0, Vertical = 1, Horizontal = 2 };

    // Makes the pen-adjustment tool current on the drawing tool in use.
    void press();
    void move(QPointF const& pressPosition, QPointF const& position);
    // Back to the last drawing tool.
    void release();

    Axis axis() const { return m_axis; }

private:
    Axis m_axis = Undecided;
};

} // namespace UI
