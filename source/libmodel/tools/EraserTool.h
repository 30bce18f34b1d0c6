#pragma once

#include "tools/DrawingTool.h"

namespace Model {

// The drawing tool of type Erase, in one of the eraser kinds.
class EraserTool : public DrawingTool
{
    Q_OBJECT

public:
    explicit EraserTool(Tool::EraserType eraserType, QObject* parent = nullptr);
    ~EraserTool() override;

    Tool* clone() const override;
    QString displayName() const override;
    QString settingsName() const override;
    QCursor createCursor(double minimumDiameter, double maximumDiameter, double scale,
                         bool faint) const override;
    QCursor createAdjustmentCursorSize(double minimumDiameter, double maximumDiameter,
                                       double scale,
                                       AdjustmentHighlights highlight) const override;

    Tool::EraserType eraserType() const;

private:
    Tool::EraserType m_eraserType;
};

} // namespace Model
