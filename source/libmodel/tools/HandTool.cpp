#include "tools/HandTool.h"

namespace Model {

HandTool::HandTool(QObject* parent)
    : FixedCursorTool(Tool::Hand, parent)
{
}

HandTool::~HandTool() = default;

Tool* HandTool::clone() const
{
    auto* copy = new HandTool(parent());
    copy->copyCursorFrom(*this);
    return copy;
}

} // namespace Model
