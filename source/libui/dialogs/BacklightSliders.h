#pragma once

#include "settings/BacklightSetting.h"

#include <QWidget>

#include <memory>

namespace UI {

// Edits the opacity levels of one backlight setting as nine bars: the four
// frames before the current one (farthest on the left), the current frame in
// the middle (always full, not editable) and the four after. Dragging a bar's
// top sets that frame's level; the bottom 5 % snap to empty.
class BacklightSliders : public QWidget
{
    Q_OBJECT

public:
    explicit BacklightSliders(QWidget* parent = nullptr);
    ~BacklightSliders() override;

    // Shows the setting's levels; emits nothing.
    void setBacklightSetting(const Model::BacklightSetting& setting);
    Model::BacklightSetting backlightSetting() const;

signals:
    void backlightSettingChanged(Model::BacklightSetting setting);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace UI
