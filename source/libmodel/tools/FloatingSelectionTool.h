#pragma once

#include "tools/Tool.h"

#include <array>

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

public slots:
    void setCursorType(Model::FloatingSelectionTool::FSCursorType cursorType);

private:
    FSCursorType m_cursorType = FSMove;
    // Move, rotate, scale, scale-rotate, skew horizontal, skew vertical,
    // squash-stretch and stamp.
    std::array<QCursor, 8> m_cursors;
};

} // namespace Model
