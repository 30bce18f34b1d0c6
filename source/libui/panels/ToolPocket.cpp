#include "panels/ToolPocket.h"

#include "common/PenAsMouse.h"
#include "common/UIScale.h"
#include "tools/Cursor.h"

#include <QAction>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>
#include <QToolTip>

namespace UI {

namespace {
constexpr int slotCount = 3;
}

struct ToolPocket::Private
{
    QSize iconSize;
    QSvgRenderer line{QStringLiteral(":/toolpocket/controlsbarToolLine.svg")};
    QSvgRenderer wideLine{QStringLiteral(":/toolpocket/controlsbarToolLineWide.svg")};
    QSvgRenderer shadow{QStringLiteral(":/toolpocket/penpresetShadow.svg")};
    QSvgRenderer highlight{QStringLiteral(":/toolpocket/penpresetHighlight.svg")};
    QAction* actions[slotCount] = {nullptr, nullptr, nullptr};
    int pressedSlot = -1;
    int hoveredSlot = -1;
    float scale = 1;
    int pocketHeight = 44;
    int popupHeight = 57;
    int slotWidth = 40;
    int sideMargin = 8;
    int iconInset = 4;
    int shadowOffset = 25;
    int highlightOffset = 20;
    int bottomMargin = 7;
    int lineMargin = 12;
    quint64 lastEventTime = 0;

    void computeMetrics()
    {
        scale = uiScale();
        iconSize = QSize(scaled(32, scale), scaled(32, scale));
        pocketHeight = scaled(44, scale);
        popupHeight = scaled(57, scale);
        slotWidth = scaled(40, scale);
        sideMargin = scaled(8, scale);
        iconInset = scaled(4, scale);
        shadowOffset = scaled(25, scale);
        highlightOffset = scaled(20, scale);
        bottomMargin = scaled(7, scale);
        lineMargin = scaled(12, scale);
    }

    QSizeF scaledSize(const QSvgRenderer& art) const
    {
        return QSizeF(art.viewBoxF().size()) * scale;
    }
};

ToolPocket::ToolPocket(QWidget* parent)
    : QWidget(parent), d(std::make_unique<Private>())
{
    d->computeMetrics();
    applySizes();
    setAttribute(Qt::WA_MouseTracking);
    setAttribute(Qt::WA_TabletTracking);
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::NoFocus);
}

ToolPocket::~ToolPocket() = default;

void ToolPocket::applySizes()
{
    setMinimumSize(slotCount * d->slotWidth + 2 * d->sideMargin, d->pocketHeight);
    setMaximumHeight(d->popupHeight);
}

void ToolPocket::setToolAction(int slot, QAction* action)
{
    if (slot < 0 || slot >= slotCount)
        return;
    if (QAction* previous = d->actions[slot]) {
        disconnect(previous, nullptr, this, nullptr);
        disconnect(this, nullptr, previous, nullptr);
    }
    d->actions[slot] = action;
    if (action)
        connect(action, &QAction::toggled, this, qOverload<>(&QWidget::update));
    update();
}

QAction* ToolPocket::toolAction(int slot) const
{
    return slot >= 0 && slot < slotCount ? d->actions[slot] : nullptr;
}

void ToolPocket::setPopup(bool popup)
{
    setMinimumHeight(popup ? d->popupHeight : d->pocketHeight);
}

QPoint ToolPocket::bottomCenter() const
{
    return mapToGlobal(QPoint(width() / 2, height() + 1));
}

void ToolPocket::updateUISize()
{
    d->computeMetrics();
    applySizes();
    update();
    updateGeometry();
}

int ToolPocket::slotAt(QPoint pos) const
{
    const int left = (width() - slotCount * d->slotWidth) / 2;
    if (pos.y() < height() - (d->bottomMargin + d->slotWidth))
        return -1;
    const int x = pos.x() - left;
    if (x < 0 || x / d->slotWidth >= slotCount)
        return -1;
    return x / d->slotWidth;
}

int ToolPocket::hoveredSlot() const
{
    return d->hoveredSlot;
}

bool ToolPocket::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const QAction* action = toolAction(slotAt(help->pos()));
    if (action && !action->toolTip().isEmpty()) {
        QToolTip::showText(help->globalPos(), action->toolTip());
    } else {
        QToolTip::hideText();
        event->ignore();
    }
    return true;
}

void ToolPocket::mousePressEvent(QMouseEvent* event)
{
    event->accept();
    if (PenAsMouse::isEcho(event->timestamp(), d->lastEventTime))
        return;
    setFocus(Qt::OtherFocusReason);
    d->pressedSlot = slotAt(event->position().toPoint());
    mouseMoveEvent(event);
    event->accept();
    d->lastEventTime = event->timestamp();
}

void ToolPocket::mouseMoveEvent(QMouseEvent* event)
{
    const int previous = d->hoveredSlot;
    d->hoveredSlot = slotAt(event->position().toPoint());
    if (d->pressedSlot < 0 && d->hoveredSlot < 0) {
        if (previous < 0) {
            event->ignore();
            return;
        }
        update();
        return;
    }
    event->accept();
    update();
}

void ToolPocket::mouseReleaseEvent(QMouseEvent* event)
{
    mouseMoveEvent(event);
    const int slot = d->pressedSlot;
    if (slot >= 0 && slot == d->hoveredSlot && d->actions[slot]) {
        d->actions[slot]->activate(QAction::Trigger);
        emit pressed(slot);
    }
    d->pressedSlot = -1;
    event->accept();
    d->lastEventTime = event->timestamp();
}

void ToolPocket::tabletEvent(QTabletEvent* event)
{
    PenAsMouse::deliver(
        event, [this](QMouseEvent* e) { mousePressEvent(e); },
        [this](QMouseEvent* e) { mouseMoveEvent(e); },
        [this](QMouseEvent* e) { mouseReleaseEvent(e); });
}

void ToolPocket::enterEvent(QEnterEvent*)
{
    setCursor(Model::Cursor::m_cursorArrow);
}

void ToolPocket::leaveEvent(QEvent*)
{
    d->hoveredSlot = -1;
    update();
}

void ToolPocket::focusInEvent(QFocusEvent* event)
{
    QWidget::focusInEvent(event);
    emit focusReceived();
}

void ToolPocket::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const float s = d->scale;
    const int bottom = height() - d->bottomMargin;
    const QRect iconClip(0, 0, width(), bottom);

    const int lineWidth = width() - 2 * d->lineMargin;
    QSvgRenderer& line = lineWidth >= d->line.viewBoxF().width() ? d->line : d->wideLine;
    const double lineHeight = line.viewBoxF().height();
    line.render(&painter, QRectF(d->lineMargin, bottom - lineHeight, lineWidth, lineHeight));

    const int left = (width() - slotCount * d->slotWidth) / 2;
    for (int i = 0; i < slotCount; ++i) {
        QAction* action = d->actions[i];
        if (!action)
            continue;
        const int slotLeft = left + i * d->slotWidth;
        const bool checked = action->isChecked();
        if (checked) {
            const QSizeF size = d->scaledSize(d->shadow);
            const double cx = slotLeft + d->shadowOffset;
            d->shadow.render(&painter, QRectF(cx - size.width() / 2, bottom - size.height(),
                                              size.width(), size.height()));
        }
        painter.save();
        painter.setClipRect(iconClip);
        int iconBottom;
        if (checked)
            iconBottom = bottom - 1;
        else if (i == d->hoveredSlot)
            iconBottom = int(bottom + 3 * s);
        else
            iconBottom = int(bottom + 5 * s);
        const QRect iconRect(slotLeft + d->iconInset, iconBottom - d->iconSize.height() + 1,
                             d->iconSize.width(), d->iconSize.height());
        action->icon().paint(&painter, iconRect, Qt::AlignCenter, QIcon::Normal, QIcon::On);
        painter.restore();
        if (checked) {
            const QSizeF size = d->scaledSize(d->highlight);
            const QPointF centre(slotLeft + d->highlightOffset, bottom - 17 * s);
            d->highlight.render(&painter, QRectF(centre - QPointF(size.width() / 2,
                                                                  size.height() / 2),
                                                 size));
        }
    }
}

} // namespace UI
