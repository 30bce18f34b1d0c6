#pragma once

#include "tools/FixedCursorTool.h"

namespace Model {

// Scrubs through the frames by dragging. The canvas flags the tool as started
// and emits scrubbingStarted() when a scrub begins.
class ScrubbingTool : public FixedCursorTool
{
    Q_OBJECT

public:
    explicit ScrubbingTool(QObject* parent = nullptr);
    ~ScrubbingTool() override;

    Tool* clone() const override;

    bool isStarted() const;
    void setStarted(bool started);

signals:
    void scrubbingStarted();

private:
    bool m_started = false;
};

} // namespace Model
