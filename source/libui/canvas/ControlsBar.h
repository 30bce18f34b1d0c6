#pragma once

#include <QWidget>

namespace UI {

// The translucent transport bar along the canvas's top edge. The main window
// fills it with buttons, indicators and the frame number; the canvas below
// shows through it.
class ControlsBar : public QWidget
{
    Q_OBJECT

public:
    explicit ControlsBar(QWidget* parent);

public slots:
    void updateUISize();

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace UI
