#pragma once

#include "tools/FixedCursorTool.h"

namespace Model {

// Turns the view.
class RotateTool : public FixedCursorTool
{
    Q_OBJECT

public:
    explicit RotateTool(QObject* parent = nullptr);
    ~RotateTool() override;

    Tool* clone() const override;
};

} // namespace Model
