#include "tools/FloatingSelectionTool.h"

#include "tools/Cursor.h"

namespace Model {

FloatingSelectionTool::FloatingSelectionTool(QObject* parent)
    : Tool(Tool::FloatingSelection, parent)
{
}

FloatingSelectionTool::~FloatingSelectionTool() = default;

Tool* FloatingSelectionTool::clone() const
{
    auto* copy = new FloatingSelectionTool(parent());
    copy->m_cursors = m_cursors;
    return copy;
}

QCursor FloatingSelectionTool::cursor() const
{
    switch (m_cursorType) {
    case FSMove:
        return m_cursors[0];
    case FSRotate:
        return m_cursors[1];
    case FSScale:
        return m_cursors[2];
    case FSScaleRotate:
        return m_cursors[3];
    case FSFlipHorizontal:
    case FSFlipVertical:
    case FSPivot:
        return Cursor::m_cursorArrow;
    case FSSkewHorizontal:
        return m_cursors[4];
    case FSSkewVertical:
        return m_cursors[5];
    case FSSquashStretch:
        return m_cursors[6];
    case FSStamp:
        break;
    }
    return stateCursor(state(), m_cursors[7]);
}

FloatingSelectionTool::FSCursorType FloatingSelectionTool::cursorType() const
{
    return m_cursorType;
}

void FloatingSelectionTool::setCursorType(FSCursorType cursorType)
{
    if (m_cursorType == cursorType)
        return;
    m_cursorType = cursorType;
    emit cursorChanged(cursor());
}

} // namespace Model
