#include "tools/ToolManager.h"

#include "settings/Settings.h"
#include "tools/Cursor.h"
#include "tools/CutterTool.h"
#include "tools/DrawingTool.h"
#include "tools/EraserTool.h"
#include "tools/FloatingSelectionTool.h"
#include "tools/HandTool.h"
#include "tools/LassoTool.h"
#include "tools/OffPegsTool.h"
#include "tools/PenAdjustmentTool.h"
#include "tools/PenTool.h"
#include "tools/RotateTool.h"
#include "tools/ScrubbingTool.h"
#include "tools/ZPRTool.h"
#include "tools/ZoomTool.h"

#include <QGuiApplication>
#include <QTimer>
#include <QtDebug>

#include <array>

namespace Model {

namespace {

constexpr int restoreCursorIntervalMs = 500;

struct Range
{
    double lower;
    double upper;
};

// The built-in ranges of one preset of a pen or eraser.
struct BuiltInRanges
{
    Range sizeLimits;
    Range opacityLimits;
    Range sizePercent;
    Range opacityPercent;
};

// Presets Default and Preset1 share their values; the erasers use the same
// values for every preset.
BuiltInRanges penRanges(Tool::PenType penType, KW::ToolPreset preset)
{
    const bool second = preset == KW::ToolPreset::Preset2;
    const bool third = preset == KW::ToolPreset::Preset3;
    switch (penType) {
    case Tool::Pencil: {
        const Range size = second ? Range{8.72, 32.82} : third ? Range{1.17, 8.21} : Range{5, 12.31};
        const Range opacity = second ? Range{2, 40} : third ? Range{3, 100} : Range{2, 56};
        return {{0.5, 45}, {0, 0.75}, size, opacity};
    }
    case Tool::Marker: {
        const Range size = second ? Range{2.83, 10.75} : third ? Range{1.67, 22} : Range{2.33, 4.33};
        const Range opacity = second ? Range{67, 100} : third ? Range{0, 44.5} : Range{5, 80};
        return {{0.5, 90}, {0.1, 1.0}, size, opacity};
    }
    case Tool::Brush: {
        const Range size = second ? Range{0.27, 16.5} : third ? Range{3.07, 38.97} : Range{0, 6.67};
        const Range opacity = second ? Range{0, 100} : third ? Range{80, 100} : Range{100, 100};
        return {{0.5, 180}, {0.5, 1.0}, size, opacity};
    }
    }
    return {{0.5, 180}, {0, 1}, {0, 100}, {0, 100}};
}

BuiltInRanges eraserRanges(Tool::EraserType eraserType)
{
    switch (eraserType) {
    case Tool::Kneaded:
        return {{10, 135}, {0, 0.75}, {0, 24.1}, {10, 100}};
    case Tool::Rubber:
        return {{0.5, 90}, {0.25, 1.0}, {1.67, 22.05}, {100, 100}};
    case Tool::Vinyl:
        return {{30, 180}, {0.5, 1.0}, {5, 47.18}, {100, 100}};
    }
    return {{0.5, 180}, {0, 1}, {0, 100}, {0, 100}};
}

bool isValidPenType(Tool::PenType penType)
{
    return penType >= Tool::Pencil && penType <= Tool::Brush;
}

bool isValidEraserType(Tool::EraserType eraserType)
{
    return eraserType >= Tool::Kneaded && eraserType <= Tool::Vinyl;
}

} // namespace

class ToolManagerData
{
public:
    bool initialized = false;

    std::array<PenTool*, 3> pens{};
    std::array<EraserTool*, 3> erasers{};
    PenTool* scribblePen = nullptr;
    EraserTool* scribbleEraser = nullptr;
    QTimer restoreCursorTimer;

    QMetaObject::Connection cursorConnection;
    QMetaObject::Connection sizeRangeConnection;
    QMetaObject::Connection opacityRangeConnection;

    Tool* current = nullptr;
    Tool::Type lastDrawingToolType = Tool::NoTool;
    Tool::Type lastPrimaryToolType = Tool::NoTool;
    Tool::Type lastUndoToolType = Tool::NoTool;
    PenTool* currentPen = nullptr;
    EraserTool* currentEraser = nullptr;

    HandTool* hand = nullptr;
    ZoomTool* zoom = nullptr;
    RotateTool* rotate = nullptr;
    ZPRTool* zpr = nullptr;
    OffPegsTool* offPegs = nullptr;
    LassoTool* lasso = nullptr;
    CutterTool* cutter = nullptr;
    FloatingSelectionTool* floatingSelection = nullptr;
    ScrubbingTool* scrubbing = nullptr;
    PenAdjustmentTool* penAdjustment = nullptr;

    DrawingTool* currentDrawingTool() const
    {
        return current && Tool::isDrawingType(current->type()) ? static_cast<DrawingTool*>(current)
                                                                : nullptr;
    }
};

ToolManager* ToolManager::instance()
{
    static ToolManager manager;
    return &manager;
}

ToolManager::ToolManager(QObject* parent)
    : QObject(parent)
    , d(std::make_unique<ToolManagerData>())
{
    d->restoreCursorTimer.setSingleShot(true);
    d->restoreCursorTimer.setInterval(restoreCursorIntervalMs);
}

ToolManager::~ToolManager()
{
    disconnectCurrentTool();
    // An override cursor still up would outlive its restore timer.
    if (d->restoreCursorTimer.isActive() && qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QGuiApplication::restoreOverrideCursor();
}

void ToolManager::init()
{
    if (d->initialized)
        return;
    d->initialized = true;

    const Tool::PenType penTypes[] = {Tool::Pencil, Tool::Marker, Tool::Brush};
    for (const Tool::PenType penType : penTypes) {
        auto* pen = new PenTool(penType, this);
        d->pens[penType] = pen;
        loadToolSettings(pen, KW::ToolPreset::Default);
    }
    d->currentPen = d->pens[Tool::Pencil];

    const Tool::EraserType eraserTypes[] = {Tool::Kneaded, Tool::Rubber, Tool::Vinyl};
    for (const Tool::EraserType eraserType : eraserTypes) {
        auto* eraser = new EraserTool(eraserType, this);
        d->erasers[eraserType] = eraser;
        loadToolSettings(eraser, KW::ToolPreset::Default);
    }
    d->currentEraser = d->erasers[Tool::Rubber];

    // The annotation tools of the exposure sheet; never stored.
    d->scribblePen = new PenTool(Tool::Marker, this);
    d->scribblePen->setSizeRangeLimits(3.0, 6.0);
    d->scribblePen->setOpacityRangeLimits(0.1, 1.0);
    d->scribblePen->setSizeRangePercent(0.0, 100.0);
    d->scribblePen->setOpacityRangePercent(0.0, 100.0);
    d->scribbleEraser = new EraserTool(Tool::Rubber, this);
    d->scribbleEraser->setSizeRangeLimits(10.0, 30.0);
    d->scribbleEraser->setOpacityRangeLimits(1.0, 1.0);
    d->scribbleEraser->setSizeRangePercent(0.0, 100.0);
    d->scribbleEraser->setOpacityRangePercent(0.0, 100.0);

    d->hand = new HandTool(this);
    d->zoom = new ZoomTool(this);
    d->rotate = new RotateTool(this);
    d->zpr = new ZPRTool(this);
    d->offPegs = new OffPegsTool(this);
    d->lasso = new LassoTool(this);
    d->cutter = new CutterTool(this);
    d->floatingSelection = new FloatingSelectionTool(this);
    d->scrubbing = new ScrubbingTool(this);
    d->penAdjustment = new PenAdjustmentTool(this);

    connect(&d->restoreCursorTimer, &QTimer::timeout, this,
            [] { QGuiApplication::restoreOverrideCursor(); });

    setCurrentTool(Tool::NoTool, Tool::Usable);
}

void ToolManager::setCurrentTool(Tool::Type type, Tool::State state)
{
    const Tool::Type previous = currentToolType();
    if (d->current ? (d->current->type() == type && d->current->state() == state)
                   : (type == Tool::NoTool && state == Tool::Usable))
        return;

    disconnectCurrentTool();
    d->current = tool(type);
    if (d->current) {
        Tool* current = d->current;
        current->setState(state);
        if (DrawingTool* drawingTool = d->currentDrawingTool()) {
            drawingTool->updateCursor();
            d->lastDrawingToolType = type;
        }
        if (Tool::isPrimaryType(type)) {
            d->lastPrimaryToolType = type;
            if (Tool::isUndoType(type))
                d->lastUndoToolType = type;
        }
        connectCurrentTool();
        // The scrubbing tool's cursor shows only once a scrub has begun.
        if (type != Tool::Scrubbing)
            emit cursorChanged(current->cursor());
    }
    emit currentToolTypeChanged(type, previous);
}

Tool* ToolManager::tool(Tool::Type type) const
{
    switch (type) {
    case Tool::Draw:
        return d->currentPen;
    case Tool::Erase:
        return d->currentEraser;
    case Tool::Hand:
        return d->hand;
    case Tool::Zoom:
        return d->zoom;
    case Tool::Rotate:
        return d->rotate;
    case Tool::ZPR:
        return d->zpr;
    case Tool::OffPegs:
        return d->offPegs;
    case Tool::Lasso:
        return d->lasso;
    case Tool::Cutter:
        return d->cutter;
    case Tool::FloatingSelection:
        return d->floatingSelection;
    case Tool::Scrubbing:
        return d->scrubbing;
    case Tool::PenAdjustment:
        return d->penAdjustment;
    case Tool::NoTool:
        return nullptr;
    }
    qWarning() << "Tool *Model::ToolManager::tool(Tool::Type) const"
               << "It seems a new tool added but not listed here";
    return nullptr;
}

Tool::Type ToolManager::currentToolType() const
{
    return d->current ? d->current->type() : Tool::NoTool;
}

Tool::State ToolManager::currentToolState() const
{
    return d->current ? d->current->state() : Tool::Usable;
}

QCursor ToolManager::cursor() const
{
    return d->current ? d->current->cursor() : Cursor::m_cursorArrow;
}

bool ToolManager::isDrawingTool() const
{
    return d->current && isDrawingTool(d->current->type());
}

bool ToolManager::isPrimaryTool() const
{
    return d->current && isPrimaryTool(d->current->type());
}

bool ToolManager::isUndoTool() const
{
    return d->current && isUndoTool(d->current->type());
}

bool ToolManager::isLassoingTool() const
{
    return d->current && isLassoingTool(d->current->type());
}

bool ToolManager::isDrawingTool(Tool::Type type)
{
    return Tool::isDrawingType(type);
}

bool ToolManager::isPrimaryTool(Tool::Type type)
{
    return Tool::isPrimaryType(type);
}

bool ToolManager::isUndoTool(Tool::Type type)
{
    return Tool::isUndoType(type);
}

bool ToolManager::isLassoingTool(Tool::Type type)
{
    return Tool::isLassoingType(type);
}

void ToolManager::toggleDrawErase()
{
    switch (currentToolType()) {
    case Tool::Draw:
        setCurrentTool(Tool::Erase, Tool::Usable);
        break;
    case Tool::Erase:
        setCurrentTool(Tool::Draw, Tool::Usable);
        break;
    default:
        break;
    }
}

void ToolManager::setZoomLevel(double zoomLevel)
{
    Tool::m_zoomLevel = zoomLevel;
    if (DrawingTool* drawingTool = d->currentDrawingTool())
        drawingTool->updateCursor();
}

void ToolManager::updateDevicePixelRatio(double ratio)
{
    Cursor::setDevicePixelRatio(ratio);
    for (PenTool* pen : d->pens) {
        if (pen)
            pen->updateCursor();
    }
    for (EraserTool* eraser : d->erasers) {
        if (eraser)
            eraser->updateCursor();
    }
}

DrawingTool* ToolManager::scribbleTool(Tool::Type type) const
{
    switch (type) {
    case Tool::Draw:
        return d->scribblePen;
    case Tool::Erase:
        return d->scribbleEraser;
    default:
        break;
    }
    qWarning() << "Tool *Model::ToolManager::scribbleTool(Tool::Type) const"
               << "scribbleTool() should always be a DrawingTool";
    return nullptr;
}

void ToolManager::setLastDrawingTool(Tool::Type type)
{
    if (!Tool::isDrawingType(type) || isDrawingTool())
        return;
    d->lastDrawingToolType = type;
}

Tool::Type ToolManager::lastDrawingToolType() const
{
    return d->lastDrawingToolType;
}

Tool::Type ToolManager::lastPrimaryToolType() const
{
    return d->lastPrimaryToolType;
}

Tool::Type ToolManager::lastUndoToolType() const
{
    return d->lastUndoToolType;
}

DrawingTool* ToolManager::lastDrawingTool() const
{
    switch (d->lastDrawingToolType) {
    case Tool::Draw:
        return d->currentPen;
    case Tool::Erase:
        return d->currentEraser;
    default:
        break;
    }
    return nullptr;
}

Tool::PenType ToolManager::currentPenToolType() const
{
    return d->currentPen ? d->currentPen->penType() : Tool::Pencil;
}

void ToolManager::setCurrentPenToolType(Tool::PenType penType)
{
    // Without a pen behind it the Draw tool would be null for every caller.
    if (!isValidPenType(penType) || !d->pens[penType]) {
        qWarning() << "Model::ToolManager::setCurrentPenToolType: no pen of type" << int(penType);
        return;
    }
    const Tool::PenType previous = currentPenToolType();
    PenTool* pen = d->pens[penType];
    d->currentPen = pen;
    if (d->current && d->current->type() == Tool::Draw && d->current != pen) {
        replaceCurrentDrawingTool(pen);
        emit currentToolTypeChanged(Tool::Draw, Tool::Draw);
    }
    emit currentPenToolTypeChanged(penType, previous);
}

Tool::EraserType ToolManager::currentEraserToolType() const
{
    return d->currentEraser ? d->currentEraser->eraserType() : Tool::Rubber;
}

void ToolManager::setCurrentEraserToolType(Tool::EraserType eraserType)
{
    if (!isValidEraserType(eraserType) || !d->erasers[eraserType]) {
        qWarning() << "Model::ToolManager::setCurrentEraserToolType: no eraser of type"
                   << int(eraserType);
        return;
    }
    EraserTool* eraser = d->erasers[eraserType];
    d->currentEraser = eraser;
    if (d->current && d->current->type() == Tool::Erase && d->current != eraser) {
        replaceCurrentDrawingTool(eraser);
        emit currentToolTypeChanged(Tool::Erase, Tool::Erase);
    }
}

PenTool* ToolManager::penTool(Tool::PenType penType) const
{
    return isValidPenType(penType) ? d->pens[penType] : nullptr;
}

EraserTool* ToolManager::eraserTool(Tool::EraserType eraserType) const
{
    return isValidEraserType(eraserType) ? d->erasers[eraserType] : nullptr;
}

void ToolManager::saveAsPreset(Tool::PenType penType, KW::ToolPreset preset)
{
    if (PenTool* pen = penTool(penType))
        saveToolSettings(pen, preset);
}

void ToolManager::loadPreset(Tool::PenType penType, KW::ToolPreset preset)
{
    if (PenTool* pen = penTool(penType))
        loadToolSettings(pen, preset);
}

void ToolManager::decreaseDrawingToolSizeRange()
{
    stepDrawingToolSizeRange(false);
}

void ToolManager::increaseDrawingToolSizeRange()
{
    stepDrawingToolSizeRange(true);
}

void ToolManager::resetDrawingToolSettings()
{
    const KW::ToolPreset presets[] = {KW::ToolPreset::Preset1, KW::ToolPreset::Preset2,
                                      KW::ToolPreset::Preset3, KW::ToolPreset::Default};
    for (PenTool* pen : d->pens) {
        if (!pen)
            continue;
        for (const KW::ToolPreset preset : presets) {
            loadDefaultToolSettings(pen, preset);
            saveToolSettings(pen, preset);
        }
    }
}

void ToolManager::resetErasingToolSettings()
{
    for (EraserTool* eraser : d->erasers) {
        if (!eraser)
            continue;
        loadDefaultToolSettings(eraser, KW::ToolPreset::Default);
        saveToolSettings(eraser, KW::ToolPreset::Default);
    }
}

void ToolManager::updateCursor()
{
    if (DrawingTool* drawingTool = d->currentDrawingTool()) {
        drawingTool->updateCursor();
        emit cursorChanged(cursor());
    }
}

void ToolManager::saveSizeRange(const QString& toolName, double lower, double upper)
{
    saveSizeRange(toolName, KW::ToolPreset::Default, lower, upper);
}

void ToolManager::saveOpacityRange(const QString& toolName, double lower, double upper)
{
    saveOpacityRange(toolName, KW::ToolPreset::Default, lower, upper);
}

void ToolManager::saveSizeRange(const QString& toolName, KW::ToolPreset preset, double lower,
                                double upper)
{
    Settings::instance()->setToolSizeRangePercent(toolName, preset, lower, upper);
}

void ToolManager::saveOpacityRange(const QString& toolName, KW::ToolPreset preset, double lower,
                                   double upper)
{
    Settings::instance()->setToolOpacityRangePercent(toolName, preset, lower, upper);
}

void ToolManager::loadToolSettings(DrawingTool* tool, KW::ToolPreset preset)
{
    loadDefaultToolSettings(tool, preset);
    const Settings* settings = Settings::instance();
    double lower = 0.0;
    double upper = 0.0;
    settings->toolSizeRangePercent(tool->settingsName(), preset, lower, upper,
                                   tool->sizeMinPercent(), tool->sizeMaxPercent());
    tool->setSizeRangePercent(lower, upper);
    settings->toolOpacityRangePercent(tool->settingsName(), preset, lower, upper,
                                      tool->opacityMinPercent(), tool->opacityMaxPercent());
    tool->setOpacityRangePercent(lower, upper);
}

void ToolManager::saveToolSettings(DrawingTool* tool, KW::ToolPreset preset)
{
    saveSizeRange(tool->settingsName(), preset, tool->sizeMinPercent(), tool->sizeMaxPercent());
    saveOpacityRange(tool->settingsName(), preset, tool->opacityMinPercent(),
                     tool->opacityMaxPercent());
}

void ToolManager::loadDefaultToolSettings(DrawingTool* tool, KW::ToolPreset preset)
{
    BuiltInRanges ranges;
    if (auto* pen = qobject_cast<PenTool*>(tool))
        ranges = penRanges(pen->penType(), preset);
    else if (auto* eraser = qobject_cast<EraserTool*>(tool))
        ranges = eraserRanges(eraser->eraserType());
    else
        return;
    tool->setSizeRangeLimits(ranges.sizeLimits.lower, ranges.sizeLimits.upper);
    tool->setOpacityRangeLimits(ranges.opacityLimits.lower, ranges.opacityLimits.upper);
    tool->setSizeRangePercent(ranges.sizePercent.lower, ranges.sizePercent.upper);
    tool->setOpacityRangePercent(ranges.opacityPercent.lower, ranges.opacityPercent.upper);
}

void ToolManager::connectCurrentTool()
{
    if (!d->current)
        return;
    if (DrawingTool* drawingTool = d->currentDrawingTool()) {
        d->sizeRangeConnection =
            connect(drawingTool, &DrawingTool::sizeRangeChanged, this,
                    qOverload<const QString&, double, double>(&ToolManager::saveSizeRange));
        d->opacityRangeConnection =
            connect(drawingTool, &DrawingTool::opacityRangeChanged, this,
                    qOverload<const QString&, double, double>(&ToolManager::saveOpacityRange));
    }
    d->cursorConnection =
        connect(d->current, &Tool::cursorChanged, this, &ToolManager::cursorChanged);
}

void ToolManager::disconnectCurrentTool()
{
    disconnect(d->cursorConnection);
    disconnect(d->sizeRangeConnection);
    disconnect(d->opacityRangeConnection);
}

void ToolManager::replaceCurrentDrawingTool(DrawingTool* drawingTool)
{
    // The state comes from the active layer, not from the pen: a pen taken up
    // on a locked or hidden layer is just as unusable as the one it replaces.
    drawingTool->setState(d->current->state());
    disconnectCurrentTool();
    d->current = drawingTool;
    drawingTool->updateCursor();
    connectCurrentTool();
    emit cursorChanged(cursor());
}

void ToolManager::stepDrawingToolSizeRange(bool grow)
{
    DrawingTool* drawingTool = d->currentDrawingTool();
    if (!drawingTool)
        return;
    if (grow)
        drawingTool->increaseSizeRange();
    else
        drawingTool->decreaseSizeRange();

    const double minimumWidth = drawingTool->minimumWidth();
    const QCursor cursor = drawingTool->createCursorSizeMinMax(
        2.0 * minimumWidth, 2.0 * (minimumWidth + drawingTool->widthRange()), Tool::m_zoomLevel);
    if (d->restoreCursorTimer.isActive())
        QGuiApplication::changeOverrideCursor(cursor);
    else
        QGuiApplication::setOverrideCursor(cursor);
    d->restoreCursorTimer.start();
}

} // namespace Model
