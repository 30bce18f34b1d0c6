#include "tools/FixedCursorTool.h"

namespace Model {

FixedCursorTool::FixedCursorTool(Tool::Type type, QObject* parent)
    : Tool(type, parent)
{
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

void FixedCursorTool::copyCursorFrom(const FixedCursorTool& other)
{
    m_cursor = other.m_cursor;
}

} // namespace Model
