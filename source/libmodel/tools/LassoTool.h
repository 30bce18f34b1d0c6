#pragma once

#include "tools/FixedCursorTool.h"

namespace Model {

// Lifts the piece of the drawing inside a drawn outline into a floating selection.
class LassoTool : public FixedCursorTool
{
    Q_OBJECT

public:
    explicit LassoTool(QObject* parent = nullptr);
    ~LassoTool() override;

    Tool* clone() const override;
};

} // namespace Model
