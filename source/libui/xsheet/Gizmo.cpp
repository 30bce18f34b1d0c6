#include "xsheet/Gizmo.h"

#include "xsheet/GizmoGraphicsEffect.h"
#include "xsheet/GizmoShape.h"

#include <QHelpEvent>
#include <QIcon>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QToolTip>

namespace UI {

namespace {

// One base artwork for every column gizmo, loaded with the first of them.
QIcon const& baseArtwork()
{
    // Never destroyed: gizmos may outlive static teardown order.
    static QIcon const* const icon = new QIcon(QStringLiteral(":/xsheet/X-layerColBase.svg"));
    return *icon;
}

} // namespace

class Gizmo::GizmoPrivate
{
public:
    explicit GizmoPrivate(Gizmo* q)
        : shape(q)
    {
    }

    GizmoShape shape;
    GizmoSC topSection = Section5;
    GizmoSC hoveredRow = NoSection;
    GizmoSC pressedRow = NoSection;
    GizmoGraphicsEffect* effect = nullptr;
};

Gizmo::Gizmo(QWidget* parent)
    : QWidget(parent)
{
    d = std::make_unique<GizmoPrivate>(this);
    baseArtwork();
    connect(d->shape.createAnimation(), &QPropertyAnimation::finished, this, &Gizmo::updateSize);
    updateSize();
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_Hover, true);
    d->effect = new GizmoGraphicsEffect(this);
    setGraphicsEffect(d->effect);
}

Gizmo::~Gizmo() = default;

int Gizmo::gizmoHeight() const
{
    return d->shape.height();
}

void Gizmo::setGizmoHeight(int height)
{
    if (d->shape.setHeight(height))
        emit gizmoHeightChanged(d->shape.height());
}

QPoint Gizmo::topCenter() const
{
    return d->shape.topCenter();
}

void Gizmo::setTopCenter(QPoint const& point)
{
    d->shape.setTopCenter(point);
}

void Gizmo::setTopSection(GizmoSC section)
{
    d->topSection = section;
}

int Gizmo::state() const
{
    return d->shape.state();
}

Gizmo::GizmoSC Gizmo::sectionAt(QPoint const& pos) const
{
    return GizmoSC(d->shape.rowAt(pos));
}

int Gizmo::openHeight() const
{
    float const s = d->shape.scale();
    int const t = d->topSection;
    if (t >= 1 && t <= 4)
        return int((16 + 18 * t) * s) - 1;
    if (t == 0)
        return int(17 * s) - 1;
    if (t == 5)
        return int(105 * s) - 1;
    return -1;
}

void Gizmo::updateSize()
{
    d->shape.setOpenHeight(openHeight());
    d->shape.applyStateSize();
}

void Gizmo::updateUISize()
{
    d->shape.updateSizes();
    d->effect->updateUISize();
    updateSize();
    update();
    updateGeometry();
}

void Gizmo::openGizmo()
{
    d->shape.animateTo(GizmoShape::Open, openHeight());
    setFocus(Qt::OtherFocusReason);
}

void Gizmo::closeGizmo()
{
    d->shape.animateTo(GizmoShape::Closing, d->shape.minimumHeight());
}

void Gizmo::closeGizmo(QPoint const& pos)
{
    // 17 pixels whatever the scale: the pointer still over the button.
    if (pos.y() < 17)
        d->shape.animateTo(GizmoShape::Hover, d->shape.hoverHeight());
    else
        d->shape.animateTo(GizmoShape::Closing, d->shape.minimumHeight());
}

void Gizmo::paintSection(QPainter*, QRectF const&, GizmoSC) const
{
}

QString Gizmo::tooltipSection(GizmoSC) const
{
    return QString();
}

bool Gizmo::event(QEvent* event)
{
    // Events arrive while the private data is being built (its animation
    // becomes a child).
    if (!d)
        return QWidget::event(event);
    bool const open = d->shape.state() == GizmoShape::Open;
    int hovered = d->hoveredRow;
    if (d->shape.handleHover(event, hovered, isEnabled())) {
        d->hoveredRow = GizmoSC(hovered);
        update();
    }
    switch (event->type()) {
    case QEvent::ToolTip: {
        auto* help = static_cast<QHelpEvent*>(event);
        QString const text = tooltipSection(open ? sectionAt(help->pos()) : NoSection);
        if (text.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), text, this);
        }
        return true;
    }
    default:
        break;
    }
    return QWidget::event(event);
}

void Gizmo::mousePressEvent(QMouseEvent* event)
{
    d->pressedRow = sectionAt(event->position().toPoint());
    update();
}

void Gizmo::mouseMoveEvent(QMouseEvent*)
{
}

void Gizmo::mouseReleaseEvent(QMouseEvent* event)
{
    QPoint const pos = event->position().toPoint();
    if (d->shape.state() == GizmoShape::Open) {
        GizmoSC const row = sectionAt(pos);
        if (row == d->pressedRow) {
            if (row >= Section1 && row <= Section4) {
                emit sectionSelected(row);
                closeGizmo(pos);
            } else if (row == Section5) {
                emit sectionSelected(row);
            } else if (row == Section0) {
                closeGizmo(pos);
            }
        }
    } else {
        openGizmo();
    }
    d->pressedRow = NoSection;
    update();
}

void Gizmo::focusOutEvent(QFocusEvent* event)
{
    if (d->shape.state() != GizmoShape::Closing)
        closeGizmo();
    QWidget::focusOutEvent(event);
}

void Gizmo::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    float const s = d->shape.scale();
    int const w = width();
    int const h = height();
    int const openWidth = d->shape.openWidth();
    d->shape.paintBase(painter, baseArtwork().pixmap(QSize(openWidth, d->shape.maximumHeight()),
                                                     devicePixelRatioF(), QIcon::Normal, QIcon::Off));

    QRectF const current(7 * s - (openWidth - w) / 2, h - int(17 * s) + 4 * s, 10 * s, 10 * s);
    painter.save();
    paintSection(&painter, current, Section0);
    painter.restore();
    if (!isEnabled())
        painter.fillRect(current.adjusted(-1, -1, 1, 1), QColor(128, 128, 128, 128));

    for (int i = 1; i <= 5; ++i) {
        QRectF const row = i < 5 ? QRectF(2 * s, h - int((16 + 18 * i) * s) + s, 20 * s, 17 * s)
                                 : QRectF(2, h - int(105 * s) - 2 * s, 20 * s, 19 * s);
        bool const pressed = d->pressedRow == i;
        bool const hovered = d->hoveredRow == i;
        if (pressed || (d->pressedRow == NoSection && hovered))
            painter.fillRect(row, Qt::white);
        double const inset = pressed && hovered ? 1 : 2;
        painter.save();
        paintSection(&painter, row.adjusted(inset, inset, -inset, -inset), GizmoSC(i));
        painter.restore();
    }
}

} // namespace UI
