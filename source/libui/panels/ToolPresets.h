#pragma once

#include "tools/Tool.h"

#include <QList>
#include <QWidget>

#include <memory>

class QAbstractButton;

namespace UI {

class ExpandToolButton;
class PresetToolButton;

// The collapsible presets section of the pen panel: one row of buttons that
// load preset 1, 2 or 3 of the current pen kind into the pen, one that saves
// the pen's ranges as that preset. The tool manager keeps the presets.
class ToolPresets : public QWidget
{
    Q_OBJECT

public:
    explicit ToolPresets(QWidget* parent = nullptr);
    ~ToolPresets() override;

    void setCurrentPenType(Model::Tool::PenType penType);
    void expand();
    void collapse();
    bool isExpanded() const;
    void updateUISize();

    ExpandToolButton* expandButton() const;
    QList<PresetToolButton*> useButtons() const;
    QList<PresetToolButton*> saveButtons() const;

signals:
    void resized();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace UI
