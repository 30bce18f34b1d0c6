#include "tools/FloatingSelectionTool.h"

#include "tools/Cursor.h"

#include <QSvgRenderer>

#include <cmath>

namespace Model {

FloatingSelectionTool::FloatingSelectionTool(QObject* parent)
    : Tool(Tool::FloatingSelection, parent)
{
    prepareCursors();
}

FloatingSelectionTool::~FloatingSelectionTool() = default;

Tool* FloatingSelectionTool::clone() const
{
    auto* copy = new FloatingSelectionTool(parent());
    copy->m_cursors = m_cursors;
    copy->m_cursorAngle = m_cursorAngle;
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

void FloatingSelectionTool::prepareCursors()
{
    m_cursors[0] =
        Cursor::cursorFromSvgFileCenteredHotspot(QStringLiteral(":/pointers/pointer-move.svg"));
    m_cursors[4] = Cursor::cursorFromSvgFileCenteredHotspot(
        QStringLiteral(":/pointers/pointer-skewHorizontal.svg"));
    m_cursors[5] = Cursor::cursorFromSvgFileCenteredHotspot(
        QStringLiteral(":/pointers/pointer-skewVertical.svg"));
    m_cursors[6] = Cursor::cursorFromSvgFile(QStringLiteral(":/pointers/pointer-squashStretch.svg"),
                                             QPoint(11, 13));
    m_cursors[7] =
        Cursor::cursorFromSvgFileCenteredHotspot(QStringLiteral(":/pointers/pointer-stamp.svg"));
    m_rotateRenderer =
        std::make_unique<QSvgRenderer>(QStringLiteral(":/pointers/pointer-rotate.svg"));
    m_scaleRenderer = std::make_unique<QSvgRenderer>(QStringLiteral(":/pointers/pointer-scale.svg"));
    m_scaleRotateRenderer =
        std::make_unique<QSvgRenderer>(QStringLiteral(":/pointers/pointer-scaleRotate.svg"));
    m_cursorAngle.reset();
    setCursorAngle(0.0);
}

void FloatingSelectionTool::setCursorAngle(double angle)
{
    // An infinite angle would poison the painter's transform like a NaN.
    if (!std::isfinite(angle))
        return;
    if (m_cursorAngle && std::abs(angle - *m_cursorAngle) < 1.0)
        return;
    m_cursors[1] = Cursor::rotatedCursorFromSvg(*m_rotateRenderer, angle + 90.0);
    m_cursors[2] = Cursor::rotatedCursorFromSvg(*m_scaleRenderer, angle);
    m_cursors[3] = Cursor::rotatedCursorFromSvg(*m_scaleRotateRenderer, angle);
    m_cursorAngle = angle;
    if (m_cursorType == FSRotate || m_cursorType == FSScale || m_cursorType == FSScaleRotate)
        emit cursorChanged(cursor());
}

void FloatingSelectionTool::setCursorType(FSCursorType cursorType)
{
    if (m_cursorType == cursorType)
        return;
    m_cursorType = cursorType;
    emit cursorChanged(cursor());
}

} // namespace Model
