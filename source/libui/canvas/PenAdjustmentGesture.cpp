#include "canvas/PenAdjustmentGesture.h"

#include "tools/DrawingTool.h"
#include "tools/PenAdjustmentTool.h"
#include "tools/ToolManager.h"

#include <QApplication>

#include <cmath>

namespace UI {

namespace {

Model::PenAdjustmentTool* adjustmentTool()
{
    return qobject_cast<Model::PenAdjustmentTool*>(
        Model::ToolManager::instance()->tool(Model::Tool::PenAdjustment));
}

} // namespace

void PenAdjustmentGesture::press()
{
    m_axis = Undecided;
    Model::ToolManager* tools = Model::ToolManager::instance();
    auto* drawingTool = qobject_cast<Model::DrawingTool*>(tools->tool(tools->currentToolType()));
    tools->setCurrentTool(Model::Tool::PenAdjustment, Model::Tool::Usable);
    if (Model::PenAdjustmentTool* tool = adjustmentTool()) {
        // Handing over the same tool again would keep the ranges of the
        // previous adjustment as the start; every press starts afresh.
        tool->setDrawingTool(nullptr);
        tool->setDrawingTool(drawingTool);
    }
}

void PenAdjustmentGesture::move(QPointF const& pressPosition, QPointF const& position)
{
    QPointF const travel = position - pressPosition;
    if (m_axis == Undecided) {
        if (std::abs(travel.x()) + std::abs(travel.y()) < QApplication::startDragDistance())
            return;
        m_axis = std::abs(travel.x()) > std::abs(travel.y()) ? Horizontal : Vertical;
    }
    Model::PenAdjustmentTool* tool = adjustmentTool();
    if (!tool)
        return;
    if (m_axis == Vertical)
        tool->adjustOpacityRange(std::pow(1.25, -travel.y() / 10.0));
    else
        tool->adjustSizeRange(std::pow(1.25, travel.x() / 10.0));
}

void PenAdjustmentGesture::release()
{
    Model::ToolManager* tools = Model::ToolManager::instance();
    tools->setCurrentTool(tools->lastDrawingToolType(), Model::Tool::Usable);
}

} // namespace UI
