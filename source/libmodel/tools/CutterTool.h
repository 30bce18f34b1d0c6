#pragma once

#include "tools/FixedCursorTool.h"

namespace Model {

// Cuts the area inside a drawn outline out of the drawing.
class CutterTool : public FixedCursorTool
{
    Q_OBJECT

public:
    explicit CutterTool(QObject* parent = nullptr);
    ~CutterTool() override;

    Tool* clone() const override;
};

} // namespace Model
