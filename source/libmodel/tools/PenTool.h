#pragma once

#include "tools/DrawingTool.h"

namespace Model {

// The drawing tool of type Draw, in one of the pen kinds.
class PenTool : public DrawingTool
{
    Q_OBJECT

public:
    explicit PenTool(Tool::PenType penType, QObject* parent = nullptr);
    ~PenTool() override;

    Tool* clone() const override;
    QString displayName() const override;
    QString settingsName() const override;
    QCursor createCursor(double minimumDiameter, double maximumDiameter, double scale,
                         bool faint) const override;
    QCursor createAdjustmentCursorSize(double minimumDiameter, double maximumDiameter,
                                       double scale,
                                       AdjustmentHighlights highlight) const override;

    Tool::PenType penType() const;

private:
    Tool::PenType m_penType;
};

} // namespace Model
