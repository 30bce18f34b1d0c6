#include "tools/ZPRTool.h"

#include "tools/Cursor.h"

#include <QSvgRenderer>

#include <cmath>

namespace Model {

ZPRTool::ZPRTool(QObject* parent)
    : Tool(Tool::ZPR, parent)
{
    prepareCursors();
}

ZPRTool::~ZPRTool() = default;

Tool* ZPRTool::clone() const
{
    auto* copy = new ZPRTool(parent());
    copy->m_panCursor = m_panCursor;
    copy->m_rotateCursor = m_rotateCursor;
    copy->m_zoomCursor = m_zoomCursor;
    copy->m_cursorAngle = m_cursorAngle;
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

void ZPRTool::prepareCursors()
{
    m_panCursor =
        Cursor::cursorFromSvgFileCenteredHotspot(QStringLiteral(":/pointers/pointer-hand.svg"));
    m_zoomCursor =
        Cursor::cursorFromSvgFileCenteredHotspot(QStringLiteral(":/pointers/pointer-zoom.svg"));
    m_rotateRenderer =
        std::make_unique<QSvgRenderer>(QStringLiteral(":/pointers/pointer-rotate.svg"));
    m_cursorAngle.reset();
    setCursorAngle(0.0);
}

void ZPRTool::setCursorAngle(double angle)
{
    // An infinite angle would poison the painter's transform like a NaN.
    if (!std::isfinite(angle))
        return;
    if (m_cursorAngle && std::abs(angle - *m_cursorAngle) < 1.0)
        return;
    m_rotateCursor = Cursor::rotatedCursorFromSvg(*m_rotateRenderer, angle + 90.0);
    m_cursorAngle = angle;
    if (m_cursorType == CursorRotate)
        emit cursorChanged(cursor());
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
