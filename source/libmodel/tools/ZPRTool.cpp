#include "tools/ZPRTool.h"

namespace Model {

ZPRTool::ZPRTool(QObject* parent)
    : Tool(Tool::ZPR, parent)
{
}

ZPRTool::~ZPRTool() = default;

Tool* ZPRTool::clone() const
{
    auto* copy = new ZPRTool(parent());
    copy->m_panCursor = m_panCursor;
    copy->m_rotateCursor = m_rotateCursor;
    copy->m_zoomCursor = m_zoomCursor;
    return copy;
}

QCursor ZPRTool::cursor() const
{
    const QCursor own = m_cursorType == CursorPan    ? m_panCursor
                        : m_cursorType == CursorZoom ? m_zoomCursor
                                                     : m_rotateCursor;
    return stateCursor(state(), own);
}

ZPRTool::ZPRCursorType ZPRTool::cursorType() const
{
    return m_cursorType;
}

QVariant ZPRTool::pressPosGlobal() const
{
    return m_pressPosGlobal;
}

void ZPRTool::clearPressPosGlobal()
{
    m_pressPosGlobal.clear();
}

void ZPRTool::setCursorType(ZPRCursorType cursorType)
{
    if (m_cursorType == cursorType)
        return;
    m_cursorType = cursorType;
    emit cursorChanged(cursor());
}

void ZPRTool::setPressPosGlobal(QPoint pos)
{
    m_pressPosGlobal = pos;
}

} // namespace Model
