#pragma once

#include "tools/Tool.h"

#include <array>
#include <memory>
#include <optional>

class QSvgRenderer;

namespace Model {

// Moves, turns, scales and stamps a floating selection by its handles; the
// canvas sets the cursor type from the handle under the pointer.
class FloatingSelectionTool : public Tool
{
    Q_OBJECT

public:
    enum FSCursorType {
        FSMove = 0,
        FSRotate = 1,
        FSScale = 2,
        FSScaleRotate = 3,
        FSFlipHorizontal = 4,
        FSFlipVertical = 5,
        FSPivot = 6,
        FSSkewHorizontal = 7,
        FSSkewVertical = 8,
        FSSquashStretch = 9,
        FSStamp = 10 // outside every handle
    };
    Q_ENUM(FSCursorType)

    explicit FloatingSelectionTool(QObject* parent = nullptr);
    ~FloatingSelectionTool() override;

    Tool* clone() const override;
    // The handle cursors ignore the tool state; only outside the handles does
    // a forbidding state show.
    QCursor cursor() const override;

    FSCursorType cursorType() const;

    // Loads the fixed cursors and the artwork of the turning ones, and renders
    // those for a view angle of 0.
    void prepareCursors();

public slots:
    void setCursorType(Model::FloatingSelectionTool::FSCursorType cursorType);
    // Turns the rotate, scale and scale-rotate cursors with the view (angle in
    // degrees); changes of less than a degree keep the present rendering.
    void setCursorAngle(double angle);

private:
    FSCursorType m_cursorType = FSMove;
    // Move, rotate, scale, scale-rotate, skew horizontal, skew vertical,
    // squash-stretch and stamp.
    std::array<QCursor, 8> m_cursors;
    std::unique_ptr<QSvgRenderer> m_rotateRenderer;
    std::unique_ptr<QSvgRenderer> m_scaleRenderer;
    std::unique_ptr<QSvgRenderer> m_scaleRotateRenderer;
    std::optional<double> m_cursorAngle; // of the last rendering
};

} // namespace Model
