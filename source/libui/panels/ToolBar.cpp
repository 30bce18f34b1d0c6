#include "panels/ToolBar.h"

#include "actions/ActionManager.h"
#include "common/SvgArt.h"
#include "common/UIScale.h"
#include "panels/ToolBarHandle.h"

#include <QAction>
#include <QGraphicsDropShadowEffect>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>
#include <QToolTip>

namespace UI {

namespace {
constexpr int margin = 8;
constexpr int columnGap = 2;
const QString columnBreak = QStringLiteral("NewToolBarColumn");
const QString spacerName = QStringLiteral("Spacer");
} // namespace

struct ToolBar::Private
{
    ToolBarHandle* handle = nullptr;
    QGraphicsDropShadowEffect* shadow = nullptr;
    QList<QList<QAction*>> columns;
    QSvgRenderer clickArt{QStringLiteral(":/toolbar/icon-click.svg")};
    QSvgRenderer hoverArt{QStringLiteral(":/toolbar/icon-hover.svg")};
    QPointF clickOffset{0, 2};
    QPointF hoverOffset{1, 1};
    Slot hoverSlot{-1, -1};
    Slot pressedSlot{-1, -1};
    QPoint leftCenter;
    QPoint rightCenter;
    QPoint leftOffset;
    QPoint rightOffset;
    float scale = 1.0f;
    int columnWidth = 40;
    int actionHeight = 40;
    int spacerHeight = 20;
    int halfColumn = 20;
    int iconSize = 32;

    void computeMetrics()
    {
        scale = uiScale();
        columnWidth = scaled(40, scale);
        actionHeight = scaled(40, scale);
        spacerHeight = scaled(20, scale);
        halfColumn = scaled(20, scale);
        iconSize = scaled(32, scale);
        leftOffset = QPoint(scaled(32, scale), 0);
        rightOffset = QPoint(scaled(-32, scale), 0);
        if (shadow)
            shadow->setBlurRadius(scaled(70, scale));
    }

    int entryHeight(const QAction* entry) const { return entry ? actionHeight : spacerHeight; }

    int columnHeight(int c) const
    {
        int h = 0;
        for (const QAction* entry : columns.at(c))
            h += entryHeight(entry);
        return h;
    }

    QAction* actionAt(Slot slot) const
    {
        if (slot.x() < 0 || slot.x() >= columns.size())
            return nullptr;
        const QList<QAction*>& column = columns.at(slot.x());
        return slot.y() >= 0 && slot.y() < column.size() ? column.at(slot.y()) : nullptr;
    }

    void renderCentred(QPainter& painter, QSvgRenderer& art, QPointF centre, QPointF offset)
    {
        UI::renderCentred(&painter, art, centre + offset * scale, scale);
    }
};

ToolBar::ToolBar(QWidget* parent)
    : QWidget(parent), d(std::make_unique<Private>())
{
    d->handle = new ToolBarHandle(parent);
    d->handle->show();
    d->shadow = new QGraphicsDropShadowEffect(this);
    d->shadow->setColor(QColor(0, 0, 0, 170));
    d->shadow->setOffset(0, 0);
    d->computeMetrics();
    setFocusPolicy(Qt::ClickFocus);
    setMouseTracking(true);
    connect(d->handle, &ToolBarHandle::toggled, this, &QWidget::setVisible);
    connect(d->handle, &ToolBarHandle::toggled, this, &ToolBar::toggled);
    connect(this, &ToolBar::opened, d->handle, &ToolBarHandle::setOpened);
    resizeAndPlace();
    setGraphicsEffect(d->shadow);
}

ToolBar::~ToolBar() = default;

ToolBarHandle* ToolBar::handle() const
{
    return d->handle;
}

QList<QList<QAction*>> ToolBar::columns() const
{
    return d->columns;
}

void ToolBar::restoreSettings(const QString& layout)
{
    d->columns.clear();
    d->hoverSlot = d->pressedSlot = Slot(-1, -1);
    int column = 0;
    const auto append = [this, &column](QAction* entry) {
        while (d->columns.size() <= column)
            d->columns.append(QList<QAction*>());
        d->columns[column].append(entry);
    };
    for (const QString& token : layout.split(QLatin1Char('|'), Qt::KeepEmptyParts)) {
        if (token == columnBreak) {
            // A break before the first entry starts nothing; later breaks never
            // go beyond the third column.
            if (!d->columns.isEmpty())
                column = qMin(column, 1) + 1;
        } else if (token == spacerName) {
            append(nullptr);
        } else {
            append(Model::ActionManager::instance()->action(token));
        }
    }
    resizeAndPlace();
    update();
}

void ToolBar::updateUISize()
{
    d->computeMetrics();
    resizeAndPlace();
    d->handle->updateUISize();
    update();
    updateGeometry();
}

void ToolBar::setPosition(KW::ToolBarPosition position)
{
    d->handle->setHandlePosition(position);
}

void ToolBar::moveLeftAndRightCenter(QPoint leftCenter, QPoint rightCenter)
{
    d->leftCenter = leftCenter;
    d->rightCenter = rightCenter;
    resizeAndPlace();
}

void ToolBar::resizeAndPlace()
{
    d->handle->moveLeftAndRightCenter(d->leftCenter, d->rightCenter);
    int first = -1;
    int last = -1;
    int tallest = 0;
    for (int c = 0; c < d->columns.size(); ++c) {
        if (d->columns.at(c).isEmpty())
            continue;
        if (first < 0)
            first = c;
        last = c;
        tallest = qMax(tallest, d->columnHeight(c));
    }
    if (first < 0)
        resize(-1, -1);
    else
        resize((d->columnWidth + columnGap) * (last - first + 1) + 14, tallest + 16);

    if (d->handle->handlePosition() == KW::ToolBarPosition::Left)
        move(d->leftCenter.x() + d->leftOffset.x(), d->leftCenter.y() - height() / 2);
    else
        move(d->rightCenter.x() + d->rightOffset.x() - width(),
             d->rightCenter.y() - height() / 2);
}

ToolBar::Slot ToolBar::slotAt(QPointF pos) const
{
    const Slot none(-1, -1);
    if (pos.x() < margin)
        return none;
    const int x = qRound(pos.x()) - margin;
    const int c = x / (d->columnWidth + columnGap);
    const int r = x % (d->columnWidth + columnGap);
    if (c < 0 || c >= d->columns.size() || r >= d->columnWidth)
        return none;
    const QList<QAction*>& column = d->columns.at(c);
    int y = qRound(pos.y()) - (height() - d->columnHeight(c)) / 2;
    if (y < 0 || column.isEmpty() || y >= d->columnHeight(c))
        return none;
    for (int row = 0; row < column.size(); ++row) {
        const int h = d->entryHeight(column.at(row));
        if (y < h)
            return Slot(c, row);
        y -= h;
    }
    return none;
}

bool ToolBar::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const Slot slot = slotAt(help->pos());
    if (slot.x() < 0) {
        QToolTip::showText(help->globalPos(), QString());
        event->ignore();
    } else if (QAction* action = d->actionAt(slot)) {
        QToolTip::showText(help->globalPos(), action->toolTip());
    }
    return true;
}

void ToolBar::mousePressEvent(QMouseEvent* event)
{
    d->pressedSlot = slotAt(event->position());
    mouseMoveEvent(event);
    update();
}

void ToolBar::mouseMoveEvent(QMouseEvent* event)
{
    const Slot slot = slotAt(event->position());
    if (slot != d->hoverSlot) {
        d->hoverSlot = slot;
        update();
    }
}

void ToolBar::mouseReleaseEvent(QMouseEvent* event)
{
    if (d->pressedSlot.x() >= 0 && slotAt(event->position()) == d->pressedSlot) {
        QAction* action = d->actionAt(d->pressedSlot);
        if (action && action->isEnabled())
            action->activate(QAction::Trigger);
    }
    d->pressedSlot = Slot(-1, -1);
    mouseMoveEvent(event);
    update();
}

void ToolBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (width() < 1 || height() < 1)
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(45, 41, 38, 170));
    painter.drawRoundedRect(QRectF(rect()), 5, 5);
    painter.setBrush(QColor(221, 216, 213));
    painter.drawRoundedRect(QRectF(rect()).adjusted(7, 7, -7, -7), 2.5, 2.5);

    const bool nothingPressed = d->pressedSlot.x() < 0;
    for (int c = 0; c < d->columns.size(); ++c) {
        const QList<QAction*>& column = d->columns.at(c);
        int top = (height() - d->columnHeight(c)) / 2;
        const int x = margin + c * (d->columnWidth + columnGap) + d->halfColumn;
        for (int row = 0; row < column.size(); ++row) {
            QAction* action = column.at(row);
            const int h = d->entryHeight(action);
            const int y = action ? top + d->halfColumn : top + d->halfColumn - d->halfColumn / 2;
            top += h;
            if (!action)
                continue;
            const QPoint centre(x, y);
            QRect iconRect(0, 0, d->iconSize, d->iconSize);
            iconRect.moveCenter(centre);
            if (!action->isEnabled()) {
                painter.save();
                painter.setOpacity(painter.opacity() * 0.3);
                action->icon().paint(&painter, iconRect, Qt::AlignCenter, QIcon::Normal,
                                     QIcon::Off);
                painter.restore();
                continue;
            }
            const Slot slot(c, row);
            const bool pressed = slot == d->pressedSlot;
            const bool hovered = slot == d->hoverSlot;
            if ((pressed && hovered) || action->isChecked())
                d->renderCentred(painter, d->clickArt, centre, d->clickOffset);
            action->icon().paint(&painter, iconRect, Qt::AlignCenter, QIcon::Normal, QIcon::Off);
            if (pressed || (nothingPressed && hovered))
                d->renderCentred(painter, d->hoverArt, centre, d->hoverOffset);
        }
    }
}

void ToolBar::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    emit opened(true);
}

void ToolBar::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    emit opened(false);
}

} // namespace UI
