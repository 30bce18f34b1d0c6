#include "tools/RotateTool.h"

namespace Model {

RotateTool::RotateTool(QObject* parent)
    : FixedCursorTool(Tool::Rotate, parent)
{
}

RotateTool::~RotateTool() = default;

Tool* RotateTool::clone() const
{
    auto* copy = new RotateTool(parent());
    copy->copyCursorFrom(*this);
    return copy;
}

} // namespace Model
