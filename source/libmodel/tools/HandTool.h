#pragma once

#include "tools/FixedCursorTool.h"

namespace Model {

// Pans the view.
class HandTool : public FixedCursorTool
{
    Q_OBJECT

public:
    explicit HandTool(QObject* parent = nullptr);
    ~HandTool() override;

    Tool* clone() const override;
};

} // namespace Model
