#include "xsheet/GizmoShape.h"

#include "common/Animations.h"
#include "settings/Settings.h"

#include <QHoverEvent>
#include <QPainter>
#include <QPixmap>
#include <QPropertyAnimation>
#include <QWidget>

namespace UI {

GizmoShape::GizmoShape(QWidget* widget)
    : m_widget(widget)
{
    updateSizes();
    m_height = minimumHeight();
}

QPropertyAnimation* GizmoShape::createAnimation()
{
    m_animation = new QPropertyAnimation(m_widget, "gizmoHeight", m_widget);
    m_animation->setEasingCurve(QEasingCurve::InOutQuad);
    m_animation->setDuration(130);
    return m_animation;
}

GizmoShape::~GizmoShape() = default;

void GizmoShape::updateSizes()
{
    m_scale = Model::Settings::instance()->UIScaleFraction();
    m_openWidth = int(24 * m_scale);
    m_maximumHeight = int(107 * m_scale);
    m_closedSize = QSize(int(16 * m_scale), int(14 * m_scale));
    m_hoverSize = QSize(int(24 * m_scale), int(15 * m_scale));
}

bool GizmoShape::setHeight(int height)
{
    height = std::clamp(height, minimumHeight(), m_maximumHeight);
    if (height == m_height)
        return false;
    m_height = height;
    resizeKeepingCentre(QSize(m_openWidth, height));
    return true;
}

void GizmoShape::applyStateSize()
{
    switch (m_state) {
    case Open:
        resizeKeepingCentre(QSize(m_openWidth, std::max(m_openHeight, minimumHeight())));
        break;
    case Hover:
        resizeKeepingCentre(m_hoverSize);
        break;
    case Closing:
        m_state = Closed;
        resizeKeepingCentre(m_closedSize);
        break;
    default:
        resizeKeepingCentre(m_closedSize);
        break;
    }
    m_widget->update();
    m_widget->updateGeometry();
}

void GizmoShape::resizeKeepingCentre(QSize size)
{
    int const oldX = m_widget->x();
    int const oldWidth = m_widget->width();
    m_widget->setFixedSize(size);
    m_widget->move(oldX + oldWidth / 2 - size.width() / 2, m_widget->y());
    m_widget->update();
}

void GizmoShape::animateTo(State state, int targetHeight)
{
    m_state = state;
    m_animation->stop();
    m_animation->setDuration(Animations::duration(130));
    m_animation->setStartValue(m_height);
    m_animation->setEndValue(targetHeight);
    m_animation->start();
}

bool GizmoShape::handleHover(QEvent* event, int& hoveredRow, bool enabled)
{
    int row = hoveredRow;
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
        if (m_state == Closed && enabled) {
            m_state = Hover;
            applyStateSize();
        } else if (event->type() == QEvent::HoverEnter || m_state == Open) {
            row = rowAt(static_cast<QHoverEvent*>(event)->position().toPoint());
        }
        break;
    case QEvent::HoverLeave:
        if (m_state == Hover)
            animateTo(Closing, minimumHeight());
        row = NoRow;
        break;
    default:
        return false;
    }
    bool const changed = row != hoveredRow;
    hoveredRow = row;
    return changed;
}

int GizmoShape::rowAt(QPoint const& pos) const
{
    if (!m_widget->rect().contains(pos))
        return NoRow;
    int const distance = int(2 * m_scale + m_widget->height() - pos.y());
    int const unit = std::max(1, int(18 * m_scale));
    int const q = distance / unit;
    int const r = distance % unit;
    if (q > 4)
        return 5;
    if (q == 0)
        return r < 17 * m_scale ? 0 : NoRow;
    if (q >= 1)
        return r > 0 ? q : NoRow;
    return NoRow;
}

void GizmoShape::setTopCenter(QPoint const& point)
{
    QPoint const target(point.x() - m_widget->width() / 2, point.y());
    if (m_widget->pos() != target)
        m_widget->move(target);
}

QPoint GizmoShape::topCenter() const
{
    return QPoint(m_widget->x() + m_widget->width() / 2, m_widget->y());
}

void GizmoShape::paintBase(QPainter& painter, QPixmap const& base) const
{
    qreal const r = base.devicePixelRatio();
    int const w = m_widget->width();
    int const h = m_widget->height();
    QRectF const source((m_openWidth - w) / 2 * r, (m_maximumHeight - h) * r, w * r, h * r);
    painter.drawPixmap(QRectF(0, 0, w, h), base, source);
}

} // namespace UI
