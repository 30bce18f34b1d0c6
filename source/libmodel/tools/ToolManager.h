#pragma once

#include "settings/KW.h"
#include "tools/Tool.h"

#include <QCursor>
#include <QObject>
#include <QString>

#include <memory>

namespace Model {

class DrawingTool;
class EraserTool;
class PenTool;
class ToolManagerData;

// Owns every tool, knows which one is current and which pen and eraser stand
// behind the Draw and Erase tools, remembers the last drawing, primary and
// undo tool, and forwards the current tool's cursor. It keeps the pens' and
// erasers' ranges in the settings store: while a pen or eraser is current
// every change of its ranges is written at once under the Default preset, and
// each pen has three presets of its own. It holds state only; the views read
// it and listen to its signals.
class ToolManager : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QCursor cursor READ cursor NOTIFY cursorChanged)
    Q_PROPERTY(Model::Tool::Type currentToolType READ currentToolType NOTIFY currentToolTypeChanged)

public:
    static ToolManager* instance();

    explicit ToolManager(QObject* parent = nullptr);
    ~ToolManager() override;

    // Creates the tools and loads the pens' and erasers' last-used ranges.
    // Call once, after the settings store has been loaded; later calls do
    // nothing.
    void init();

    void setCurrentTool(Model::Tool::Type type, Model::Tool::State state);
    // Draw and Erase give the current pen and eraser; NoTool and unknown
    // types give null.
    Tool* tool(Model::Tool::Type type) const;
    Tool::Type currentToolType() const;
    Tool::State currentToolState() const;
    // The current tool's cursor, the arrow without a current tool.
    QCursor cursor() const;

    bool isDrawingTool() const;
    bool isPrimaryTool() const;
    bool isUndoTool() const;
    bool isLassoingTool() const;
    static bool isDrawingTool(Model::Tool::Type type);
    static bool isPrimaryTool(Model::Tool::Type type);
    static bool isUndoTool(Model::Tool::Type type);
    static bool isLassoingTool(Model::Tool::Type type);

    // Between the pen and the eraser; nothing while another tool is current.
    void toggleDrawErase();
    // The canvas zoom that sizes the drawing cursors.
    void setZoomLevel(double zoomLevel);
    void updateDevicePixelRatio(double ratio);
    // The annotation pen (Draw) or eraser (Erase) of the exposure sheet.
    DrawingTool* scribbleTool(Model::Tool::Type type) const;

    // Draw or Erase, taken only while no drawing tool is current.
    void setLastDrawingTool(Model::Tool::Type type);
    Tool::Type lastDrawingToolType() const;
    Tool::Type lastPrimaryToolType() const;
    Tool::Type lastUndoToolType() const;
    // The pen or eraser of the last drawing type; null before there is one.
    DrawingTool* lastDrawingTool() const;

    Tool::PenType currentPenToolType() const;
    void setCurrentPenToolType(Model::Tool::PenType penType);
    Tool::EraserType currentEraserToolType() const;
    void setCurrentEraserToolType(Model::Tool::EraserType eraserType);
    // The pen object of a type, whether or not it is the current pen.
    PenTool* penTool(Model::Tool::PenType penType) const;
    EraserTool* eraserTool(Model::Tool::EraserType eraserType) const;

    void saveAsPreset(Model::Tool::PenType penType, KW::ToolPreset preset);
    void loadPreset(Model::Tool::PenType penType, KW::ToolPreset preset);

signals:
    void currentToolTypeChanged(Model::Tool::Type currentToolType,
                                Model::Tool::Type previousToolType);
    void currentPenToolTypeChanged(Model::Tool::PenType currentPenToolType,
                                   Model::Tool::PenType previousPenToolType);
    void cursorChanged(QCursor cursor);

public slots:
    // One step of the current pen's or eraser's size range, shown for a
    // moment as the size-range cursor.
    void decreaseDrawingToolSizeRange();
    void increaseDrawingToolSizeRange();
    // Every pen preset and every eraser back to the built-in ranges.
    void resetDrawingToolSettings();
    void resetErasingToolSettings();
    void updateCursor();

    // Range persistence, under the Default preset or the given one.
    void saveSizeRange(const QString& toolName, double lower, double upper);
    void saveOpacityRange(const QString& toolName, double lower, double upper);
    void saveSizeRange(const QString& toolName, KW::ToolPreset preset, double lower,
                       double upper);
    void saveOpacityRange(const QString& toolName, KW::ToolPreset preset, double lower,
                          double upper);

private:
    void loadToolSettings(DrawingTool* tool, KW::ToolPreset preset);
    void saveToolSettings(DrawingTool* tool, KW::ToolPreset preset);
    void loadDefaultToolSettings(DrawingTool* tool, KW::ToolPreset preset);

    void connectCurrentTool();
    void disconnectCurrentTool();
    // Puts drawingTool in place of the current pen or eraser of the same type.
    void replaceCurrentDrawingTool(DrawingTool* drawingTool);
    void stepDrawingToolSizeRange(bool grow);

    std::unique_ptr<ToolManagerData> d;
};

} // namespace Model
