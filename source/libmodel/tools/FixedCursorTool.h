#pragma once

#include "tools/Tool.h"

namespace Model {

// A tool with one cursor of its own, shown while the tool is usable; in the
// other states it shows the state's cursor.
class FixedCursorTool : public Tool
{
    Q_OBJECT

public:
    FixedCursorTool(Tool::Type type, QObject* parent = nullptr);
    ~FixedCursorTool() override;

    Tool* clone() const override;
    QCursor cursor() const override;

    // The pointer artwork of a fixed-cursor tool type; an empty name, with a
    // warning, for any other type.
    static QString getIconFileName(Tool::Type type);
    // Builds the tool's cursor from its artwork.
    void prepareCursor();

protected:
    void copyCursorFrom(const FixedCursorTool& other);

    QCursor m_cursor;
};

} // namespace Model
