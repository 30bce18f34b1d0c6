#include "canvas/ScrubGesture.h"

#include "tools/ScrubbingTool.h"
#include "tools/ToolManager.h"

#include <algorithm>
#include <cmath>

namespace UI {

namespace {

double const FramesPerPixel = 0.0625;

} // namespace

void ScrubGesture::press()
{
    auto* tool = qobject_cast<Model::ScrubbingTool*>(
        Model::ToolManager::instance()->tool(Model::Tool::Scrubbing));
    if (!tool || tool->isStarted())
        return;
    emit tool->cursorChanged(tool->cursor());
    emit tool->scrubbingStarted();
    tool->setStarted(true);
}

int ScrubGesture::move(QPointF const& pressPosition, QPointF const& position) const
{
    QPointF const travel = position - pressPosition;
    double const frames = std::floor((travel.x() + travel.y()) * FramesPerPixel);
    return int(std::clamp(frames + m_base, double(INT_MIN), double(INT_MAX)));
}

void ScrubGesture::release(QPointF const& pressPosition, QPointF const& position)
{
    m_base = std::max(m_minimum, std::min(m_maximum, move(pressPosition, position)));
}

void ScrubGesture::setBounds(int minimum, int maximum)
{
    m_minimum = minimum;
    m_maximum = maximum;
}

} // namespace UI
