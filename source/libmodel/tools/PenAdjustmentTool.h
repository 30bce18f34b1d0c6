#pragma once

#include "tools/Tool.h"

#include <QPointer>

namespace Model {

class DrawingTool;

// Adjusts a pen's or eraser's size range (sideways drag) or opacity range
// (vertical drag) while the canvas drags. Factors always refer to the ranges
// at the start of the drag, so the result depends only on the total travel;
// switching from one range to the other puts the first back to its start.
class PenAdjustmentTool : public Tool
{
    Q_OBJECT

public:
    enum Mode { NoAdjustment = 0, OpacityAdjustment = 1, SizeAdjustment = 2 };
    Q_ENUM(Mode)

    explicit PenAdjustmentTool(QObject* parent = nullptr);
    ~PenAdjustmentTool() override;

    Tool* clone() const override;
    QCursor cursor() const override;

    DrawingTool* drawingTool() const;
    int mode() const;

public slots:
    void setDrawingTool(Model::DrawingTool* drawingTool);
    void adjustSizeRange(double factor);
    void adjustOpacityRange(double factor);

private slots:
    void emitCursorChanged();

private:
    QPointer<DrawingTool> m_drawingTool; // not owned
    int m_mode = NoAdjustment;
    double m_startSizeMinPercent = 0.0;
    double m_startSizeMaxPercent = 100.0;
    double m_startOpacityMinPercent = 0.0;
    double m_startOpacityMaxPercent = 100.0;
};

} // namespace Model
