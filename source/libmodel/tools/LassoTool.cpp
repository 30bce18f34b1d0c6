#include "tools/LassoTool.h"

namespace Model {

LassoTool::LassoTool(QObject* parent)
    : FixedCursorTool(Tool::Lasso, parent)
{
}

LassoTool::~LassoTool() = default;

Tool* LassoTool::clone() const
{
    auto* copy = new LassoTool(parent());
    copy->copyCursorFrom(*this);
    return copy;
}

} // namespace Model
