#pragma once

#include <QToolButton>

namespace UI {

// A transport button of the controls bar that works with the pen as with the
// mouse: a tablet press, move or release is handled as a mouse event of its
// own, and the system's mouse copy of it, arriving within 10 ms, is dropped,
// so a tap with the pen triggers the button once.
class ControlsBarToolButton : public QToolButton
{
    Q_OBJECT

public:
    explicit ControlsBarToolButton(QWidget* parent);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void tabletEvent(QTabletEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;

private:
    void press(QMouseEvent* event);

    quint64 m_lastHandledTime = 0;
};

} // namespace UI
