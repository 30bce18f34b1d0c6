#include "tools/OffPegsTool.h"

#include "tools/Cursor.h"

namespace Model {

OffPegsTool::OffPegsTool(QObject* parent)
    : Tool(Tool::OffPegs, parent)
{
    prepareCursors();
}

OffPegsTool::~OffPegsTool() = default;

Tool* OffPegsTool::clone() const
{
    auto* copy = new OffPegsTool(parent());
    copy->m_moveCursor = m_moveCursor;
    copy->m_rotateCursor = m_rotateCursor;
    return copy;
}

QCursor OffPegsTool::cursor() const
{
    const QCursor own = m_cursorType == CursorMove     ? m_moveCursor
                        : m_cursorType == CursorRotate ? m_rotateCursor
                                                       : Cursor::m_cursorArrow;
    return stateCursor(state(), own);
}

OffPegsTool::OPCursorType OffPegsTool::cursorType() const
{
    return m_cursorType;
}

void OffPegsTool::prepareCursors()
{
    m_moveCursor =
        Cursor::cursorFromSvgFileCenteredHotspot(QStringLiteral(":/pointers/pointer-hand.svg"));
    m_rotateCursor =
        Cursor::cursorFromSvgFileCenteredHotspot(QStringLiteral(":/pointers/pointer-rotate.svg"));
}

void OffPegsTool::setCursorType(OPCursorType cursorType)
{
    if (m_cursorType == cursorType)
        return;
    m_cursorType = cursorType;
    emit cursorChanged(cursor());
}

} // namespace Model
