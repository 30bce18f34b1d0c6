#include "tools/PenAdjustmentTool.h"

#include "tools/Cursor.h"
#include "tools/DrawingTool.h"

namespace Model {

namespace {

constexpr double minimumFactor = 0.001;
constexpr double maximumFactor = 1000.0;

double clampFactor(double factor)
{
    if (!(factor >= minimumFactor))
        return minimumFactor;
    return factor > maximumFactor ? maximumFactor : factor;
}

// Whether a drag may move the range to (candidateMin, candidateMax). Growing
// stops once both the candidate and the tool's range start at 100 % or more,
// shrinking once both end at 0 % or less. Coming back to the start (factor 1)
// restores the start range.
bool mayApply(double factor, double candidateMin, double candidateMax, double currentMin,
              double currentMax)
{
    if (factor > 1.0)
        return candidateMin < 100.0 || currentMin < 100.0;
    if (factor < 1.0)
        return !(candidateMax <= 0.0 && currentMax <= 0.0);
    return true;
}

} // namespace

PenAdjustmentTool::PenAdjustmentTool(QObject* parent)
    : Tool(Tool::PenAdjustment, parent)
{
}

PenAdjustmentTool::~PenAdjustmentTool() = default;

Tool* PenAdjustmentTool::clone() const
{
    return new PenAdjustmentTool(parent());
}

QCursor PenAdjustmentTool::cursor() const
{
    if (!m_drawingTool)
        return Cursor::m_cursorForbidden;
    // Until a drag has chosen its axis the drag cursor shows.
    switch (m_mode) {
    case SizeAdjustment: {
        const double minimumWidth = m_drawingTool->minimumWidth();
        return m_drawingTool->createCursorSizeMinMax(
            2.0 * minimumWidth, 2.0 * (minimumWidth + m_drawingTool->widthRange()), m_zoomLevel);
    }
    case OpacityAdjustment: {
        const double minimumOpacity = m_drawingTool->minimumOpacity();
        return m_drawingTool->createCursorOpacityMinMax(
            minimumOpacity, minimumOpacity + m_drawingTool->opacityRange());
    }
    default:
        break;
    }
    return Cursor::m_cursorDrag;
}

DrawingTool* PenAdjustmentTool::drawingTool() const
{
    return m_drawingTool;
}

int PenAdjustmentTool::mode() const
{
    return m_mode;
}

void PenAdjustmentTool::setDrawingTool(DrawingTool* drawingTool)
{
    if (m_drawingTool == drawingTool)
        return;
    if (m_drawingTool)
        disconnect(m_drawingTool, nullptr, this, nullptr);
    m_drawingTool = drawingTool;
    if (drawingTool) {
        m_startSizeMinPercent = drawingTool->incDecSizeMinPercent();
        m_startSizeMaxPercent = drawingTool->incDecSizeMaxPercent();
        m_startOpacityMinPercent = drawingTool->incDecOpacityMinPercent();
        m_startOpacityMaxPercent = drawingTool->incDecOpacityMaxPercent();
        connect(drawingTool, &DrawingTool::sizeRangeChanged, this,
                &PenAdjustmentTool::emitCursorChanged);
        connect(drawingTool, &DrawingTool::opacityRangeChanged, this,
                &PenAdjustmentTool::emitCursorChanged);
    }
    m_mode = NoAdjustment;
    emit cursorChanged(cursor());
}

void PenAdjustmentTool::adjustSizeRange(double factor)
{
    if (!m_drawingTool)
        return;
    const double f = clampFactor(factor);
    const double candidateMin = f * (m_startSizeMinPercent + 4.0) - 4.0;
    const double candidateMax = f * (m_startSizeMaxPercent + 4.0) - 4.0;
    if (mayApply(f, candidateMin, candidateMax, m_drawingTool->incDecSizeMinPercent(),
                 m_drawingTool->incDecSizeMaxPercent()))
        m_drawingTool->setIncDecSizeRangePercent(candidateMin, candidateMax);
    if (m_mode != SizeAdjustment) {
        m_mode = SizeAdjustment;
        m_drawingTool->setIncDecOpacityRangePercent(m_startOpacityMinPercent,
                                                    m_startOpacityMaxPercent);
    }
}

void PenAdjustmentTool::adjustOpacityRange(double factor)
{
    if (!m_drawingTool)
        return;
    const double f = clampFactor(factor);
    const double candidateMin = f * (m_startOpacityMinPercent + 4.0) - 4.0;
    const double candidateMax = f * (m_startOpacityMaxPercent + 4.0) - 4.0;
    if (mayApply(f, candidateMin, candidateMax, m_drawingTool->incDecOpacityMinPercent(),
                 m_drawingTool->incDecOpacityMaxPercent()))
        m_drawingTool->setIncDecOpacityRangePercent(candidateMin, candidateMax);
    if (m_mode != OpacityAdjustment) {
        m_mode = OpacityAdjustment;
        m_drawingTool->setIncDecSizeRangePercent(m_startSizeMinPercent, m_startSizeMaxPercent);
    }
}

void PenAdjustmentTool::emitCursorChanged()
{
    emit cursorChanged(cursor());
}

} // namespace Model
