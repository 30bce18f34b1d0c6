#include "tools/ScrubbingTool.h"

namespace Model {

ScrubbingTool::ScrubbingTool(QObject* parent)
    : FixedCursorTool(Tool::Scrubbing, parent)
{
}

ScrubbingTool::~ScrubbingTool() = default;

Tool* ScrubbingTool::clone() const
{
    auto* copy = new ScrubbingTool(parent());
    copy->copyCursorFrom(*this);
    return copy;
}

bool ScrubbingTool::isStarted() const
{
    return m_started;
}

void ScrubbingTool::setStarted(bool started)
{
    m_started = started;
}

} // namespace Model
