#include "tools/CutterTool.h"

namespace Model {

CutterTool::CutterTool(QObject* parent)
    : FixedCursorTool(Tool::Cutter, parent)
{
}

CutterTool::~CutterTool() = default;

Tool* CutterTool::clone() const
{
    auto* copy = new CutterTool(parent());
    copy->copyCursorFrom(*this);
    return copy;
}

} // namespace Model
