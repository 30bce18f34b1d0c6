#pragma once

#include "tools/Tool.h"

namespace Model {

// Moves and turns a drawing off its pegs; the canvas picks the cursor from
// where the pointer is.
class OffPegsTool : public Tool
{
    Q_OBJECT

public:
    enum OPCursorType { CursorRotate = 0, CursorMove = 1, CursorArrow = 2 };
    Q_ENUM(OPCursorType)

    explicit OffPegsTool(QObject* parent = nullptr);
    ~OffPegsTool() override;

    Tool* clone() const override;
    QCursor cursor() const override;

    OPCursorType cursorType() const;

    // Loads the move and rotate cursors.
    void prepareCursors();

public slots:
    void setCursorType(Model::OffPegsTool::OPCursorType cursorType);

private:
    OPCursorType m_cursorType = CursorRotate;
    QCursor m_moveCursor;
    QCursor m_rotateCursor;
};

} // namespace Model
