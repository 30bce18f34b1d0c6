#pragma once

#include "tools/Tool.h"

#include <QWidget>

#include <memory>

namespace UI {

class ToolPocket;
class ToolPresets;
class ToolSliders;

// The drop-down panel of one drawing tool kind: the sliders, and for the pen
// the presets. It hangs from the tool pocket in the controls bar, or floats as
// a pop-up with its own pocket at its top and a shadow on all sides.
class ToolSettings : public QWidget
{
    Q_OBJECT

public:
    ToolSettings(Model::Tool::Type type, QWidget* parent = nullptr);
    ~ToolSettings() override;

    void updateUISize();
    void setToolPocket(ToolPocket* pocket);
    void setPopup(bool popup);
    bool isPopup() const;
    // Hangs the panel from p (in the parent's coordinates), its top edge
    // overlapping the pocket's last row.
    void moveTopCenter(QPoint p);
    // Shows the settings of a pocket slot; the slot already shown closes the
    // panel and gives false.
    bool showTool(int toolIdx);

    ToolSliders* sliders() const;
    ToolPresets* presets() const;
    ToolPocket* toolPocket() const;

signals:
    void lostFocus();

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace UI
