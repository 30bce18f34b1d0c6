#include "canvas/ControlsBarToolButton.h"

#include "common/PenAsMouse.h"

#include "tools/Cursor.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QTabletEvent>

namespace UI {

ControlsBarToolButton::ControlsBarToolButton(QWidget* parent)
    : QToolButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

void ControlsBarToolButton::press(QMouseEvent* event)
{
    if (PenAsMouse::isEcho(event->timestamp(), m_lastHandledTime)) {
        event->accept();
        return;
    }
    setFocus(Qt::OtherFocusReason);
    QToolButton::mousePressEvent(event);
    if (event->isAccepted())
        m_lastHandledTime = event->timestamp();
}

void ControlsBarToolButton::mousePressEvent(QMouseEvent* event)
{
    press(event);
}

void ControlsBarToolButton::mouseDoubleClickEvent(QMouseEvent* event)
{
    press(event);
}

void ControlsBarToolButton::mouseMoveEvent(QMouseEvent* event)
{
    QAbstractButton::mouseMoveEvent(event);
}

void ControlsBarToolButton::mouseReleaseEvent(QMouseEvent* event)
{
    QToolButton::mouseReleaseEvent(event);
    if (event->isAccepted())
        m_lastHandledTime = event->timestamp();
}

void ControlsBarToolButton::tabletEvent(QTabletEvent* event)
{
    PenAsMouse::deliver(
        event, [this](QMouseEvent* e) { mousePressEvent(e); },
        [this](QMouseEvent* e) { mouseMoveEvent(e); },
        [this](QMouseEvent* e) { mouseReleaseEvent(e); });
}

void ControlsBarToolButton::paintEvent(QPaintEvent* /*event*/)
{
    QIcon::Mode mode = QIcon::Normal;
    if (!isEnabled())
        mode = QIcon::Disabled;
    else if (isDown())
        mode = QIcon::Selected;
    else if (underMouse())
        mode = QIcon::Active;
    QIcon::State const state = isChecked() ? QIcon::On : QIcon::Off;
    QPainter painter(this);
    QRect const target = QStyle::alignedRect(layoutDirection(), Qt::AlignCenter, iconSize(), rect());
    icon().paint(&painter, target, Qt::AlignCenter, mode, state);
}

void ControlsBarToolButton::enterEvent(QEnterEvent* event)
{
    setCursor(Model::Cursor::m_cursorArrow);
    QToolButton::enterEvent(event);
}

} // namespace UI
