#include "canvas/ControlsBarToolButton.h"

#include "tools/Cursor.h"

#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <QPointingDevice>
#include <QStyle>
#include <QTabletEvent>

namespace UI {

namespace {

// A mouse press this soon after a handled press or release is the system's
// copy of a tablet event.
quint64 const CopyWindowMs = 10;

} // namespace

ControlsBarToolButton::ControlsBarToolButton(QWidget* parent)
    : QToolButton(parent)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);
}

void ControlsBarToolButton::press(QMouseEvent* event)
{
    if (event->timestamp() < m_lastHandledTime + CopyWindowMs) {
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
    QEvent::Type type = QEvent::None;
    switch (event->type()) {
    case QEvent::TabletMove:
        type = QEvent::MouseMove;
        break;
    case QEvent::TabletPress:
        type = QEvent::MouseButtonPress;
        break;
    case QEvent::TabletRelease:
        type = QEvent::MouseButtonRelease;
        break;
    default:
        event->ignore();
        return;
    }
    QMouseEvent mouse(type, event->position(), event->position(), QCursor::pos(), event->button(),
                      event->buttons(), event->modifiers(), Qt::MouseEventSynthesizedByApplication,
                      QPointingDevice::primaryPointingDevice());
    mouse.setTimestamp(event->timestamp());
    mouse.setAccepted(true);
    switch (type) {
    case QEvent::MouseMove:
        mouseMoveEvent(&mouse);
        break;
    case QEvent::MouseButtonPress:
        mousePressEvent(&mouse);
        break;
    default:
        mouseReleaseEvent(&mouse);
        break;
    }
    event->setAccepted(mouse.isAccepted());
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
