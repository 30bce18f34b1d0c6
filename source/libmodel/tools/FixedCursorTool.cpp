#include "tools/FixedCursorTool.h"

#include "tools/Cursor.h"

#include <QtDebug>

namespace Model {

FixedCursorTool::FixedCursorTool(Tool::Type type, QObject* parent)
    : Tool(type, parent)
{
    prepareCursor();
}

FixedCursorTool::~FixedCursorTool() = default;

Tool* FixedCursorTool::clone() const
{
    auto* copy = new FixedCursorTool(type(), parent());
    copy->copyCursorFrom(*this);
    return copy;
}

QCursor FixedCursorTool::cursor() const
{
    return stateCursor(state(), m_cursor);
}

QString FixedCursorTool::getIconFileName(Tool::Type type)
{
    switch (type) {
    case Hand:
        return QStringLiteral(":/pointers/pointer-hand.svg");
    case Zoom:
        return QStringLiteral(":/pointers/pointer-zoom.svg");
    case Rotate:
        return QStringLiteral(":/pointers/pointer-rotate.svg");
    case Lasso:
        return QStringLiteral(":/pointers/pointer-lasso.svg");
    case Cutter:
        return QStringLiteral(":/pointers/pointer-cutter.svg");
    case Scrubbing:
        return QStringLiteral(":/pointers/pointer-scrub.svg");
    default:
        break;
    }
    qWarning() << "static QString Model::FixedCursorTool::getIconFileName(Tool::Type)"
               << "Unsupported tool type!";
    return QString();
}

void FixedCursorTool::prepareCursor()
{
    const QString fileName = getIconFileName(type());
    if (fileName.isEmpty())
        return;
    switch (type()) {
    case Zoom:
        m_cursor = Cursor::cursorFromSvgFile(fileName, QPoint(9, 9));
        break;
    case Lasso:
        m_cursor = Cursor::cursorFromSvgFile(fileName, QPoint(13, 8));
        break;
    case Cutter:
        m_cursor = Cursor::cursorFromSvgFile(fileName, QPoint(2, 24));
        break;
    default:
        m_cursor = Cursor::cursorFromSvgFileCenteredHotspot(fileName);
        break;
    }
}

void FixedCursorTool::copyCursorFrom(const FixedCursorTool& other)
{
    m_cursor = other.m_cursor;
}

} // namespace Model
