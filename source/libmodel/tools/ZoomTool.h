#pragma once

#include "tools/FixedCursorTool.h"

namespace Model {

// Zooms the view.
class ZoomTool : public FixedCursorTool
{
    Q_OBJECT

public:
    explicit ZoomTool(QObject* parent = nullptr);
    ~ZoomTool() override;

    Tool* clone() const override;
};

} // namespace Model
