#include "tools/ZoomTool.h"

namespace Model {

ZoomTool::ZoomTool(QObject* parent)
    : FixedCursorTool(Tool::Zoom, parent)
{
}

ZoomTool::~ZoomTool() = default;

Tool* ZoomTool::clone() const
{
    auto* copy = new ZoomTool(parent());
    copy->copyCursorFrom(*this);
    return copy;
}

} // namespace Model
