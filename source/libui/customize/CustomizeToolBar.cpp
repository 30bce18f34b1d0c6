#include "customize/CustomizeToolBar.h"

#include "common/PanelShadow.h"
#include "common/SvgArt.h"
#include "customize/ActionDrag.h"

#include <QAction>
#include <QApplication>
#include <QDrag>
#include <QDragEnterEvent>
#include <QHelpEvent>
#include <QMimeData>
#include <QPainter>
#include <QSvgRenderer>
#include <QTimer>
#include <QToolTip>

namespace UI {

namespace {

constexpr int columnCount = 3;
constexpr int margin = 8;
constexpr int columnStep = 42;
constexpr int columnWidth = 40;
constexpr int actionHeight = 40;
constexpr int spacerHeight = 20;
constexpr int shadowReach = 47;
const QSize editorSize(141, 496);
const QString columnBreak = QStringLiteral("NewToolBarColumn");
const QPoint none(-1, -1);

void paintPanel(QPainter& painter, const QRectF& rect)
{
    painter.setBrush(QColor(45, 41, 38, 170));
    painter.drawRoundedRect(rect, 5, 5);
    painter.setBrush(QColor(0xDD, 0xD8, 0xD5));
    painter.drawRoundedRect(rect.adjusted(7, 7, -7, -7), 2.5, 2.5);
}

} // namespace

using Slot = CustomizeToolBar::Slot;
using Entry = CustomizeToolBar::Entry;

struct CustomizeToolBar::Private
{
    QList<QList<Entry>> columns;
    QSvgRenderer iconFrame{QStringLiteral(":/customize/iconFrame.svg")};
    QSvgRenderer clickArt{QStringLiteral(":/toolbar/icon-click.svg")};
    QSvgRenderer hoverArt{QStringLiteral(":/toolbar/icon-hover.svg")};
    QSvgRenderer spacerLine{QStringLiteral(":/customize/iconSpacerLine.svg")};
    QSvgRenderer spacerNoLine{QStringLiteral(":/customize/iconSpacerNoLine.svg")};
    QSvgRenderer spacerClick{QStringLiteral(":/customize/iconSpacer-click.svg")};
    QPointF clickOffset{0, 2};
    QPointF hoverOffset{1, 1};
    QPointF spacerClickOffset{0, 2};
    QLinearGradient sideShadow;
    QRadialGradient cornerShadow;
    QTimer flashTimer;
    Slot hoverSlot = none;
    Slot previewSlot = none;
    Slot flashSlot = none;
    QPointF pressPosition;
    Entry dragged = nullptr;

    static int entryHeight(Entry e) { return e ? actionHeight : spacerHeight; }

    int columnHeight(int c) const
    {
        if (c < 0 || c >= columns.size() || columns.at(c).isEmpty())
            return -1;
        int h = 0;
        for (Entry e : columns.at(c))
            h += entryHeight(e);
        return h;
    }

    bool isValid(Slot s) const
    {
        return s.x() >= 0 && s.x() < columns.size() && s.y() >= 0
               && s.y() < columns.at(s.x()).size();
    }

    Entry entryAt(Slot s) const { return isValid(s) ? columns.at(s.x()).at(s.y()) : nullptr; }

    // The bar around the filled columns; empty when none has entries.
    QRectF barRect(int widgetHeight) const
    {
        int first = -1;
        int last = -1;
        int tallest = 0;
        for (int c = 0; c < columns.size(); ++c) {
            if (columns.at(c).isEmpty())
                continue;
            if (first < 0)
                first = c;
            last = c;
            tallest = qMax(tallest, columnHeight(c));
        }
        if (first < 0)
            return QRectF();
        return QRectF(columnStep * first, (widgetHeight - tallest) / 2 - 8,
                      columnStep * (last - first) + 56, tallest + 16);
    }
};

CustomizeToolBar::CustomizeToolBar(QWidget* parent)
    : QWidget(parent), d(std::make_unique<Private>())
{
    for (int c = 0; c < columnCount; ++c)
        d->columns.append(QList<Entry>());
    PanelShadow::setStops(d->sideShadow);
    PanelShadow::setStops(d->cornerShadow);
    d->flashTimer.setSingleShot(true);
    d->flashTimer.setInterval(333);
    connect(&d->flashTimer, &QTimer::timeout, this, [this] {
        d->flashSlot = none;
        update();
    });
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setMinimumSize(editorSize);
    resize(editorSize);
    setMouseTracking(true);
    setAcceptDrops(true);
    setAttribute(Qt::WA_NoSystemBackground);
}

CustomizeToolBar::~CustomizeToolBar() = default;

QSize CustomizeToolBar::sizeHint() const
{
    return editorSize;
}

QSize CustomizeToolBar::minimumSizeHint() const
{
    return editorSize;
}

QList<QList<Entry>> CustomizeToolBar::columns() const
{
    return d->columns;
}

Slot CustomizeToolBar::previewSlot() const
{
    return d->previewSlot;
}

Slot CustomizeToolBar::flashSlot() const
{
    return d->flashSlot;
}

void CustomizeToolBar::restoreSettings(const QString& layout)
{
    d->columns.clear();
    for (int c = 0; c < columnCount; ++c)
        d->columns.append(QList<Entry>());
    d->hoverSlot = d->previewSlot = d->flashSlot = none;
    QStringList parts = layout.split(QLatin1Char('|'), Qt::KeepEmptyParts);
    if (!parts.contains(columnBreak))
        parts.prepend(columnBreak);
    int c = 0;
    for (const QString& part : parts) {
        if (part == columnBreak)
            c = qMin(c + 1, columnCount - 1);
        else if (part == ActionDrag::spacerName)
            d->columns[c].append(nullptr);
        else
            d->columns[c].append(Model::ActionManager::instance()->kwAction(part));
    }
    updateGeometry();
    requestShadowUpdate();
    update();
}

QString CustomizeToolBar::saveSettings() const
{
    QStringList parts;
    for (int c = 0; c < d->columns.size(); ++c) {
        if (c > 0)
            parts += columnBreak;
        for (Entry e : d->columns.at(c)) {
            if (!e) {
                parts += ActionDrag::spacerName;
                continue;
            }
            const QVariant name = e->action ? e->action->property("KWActionName") : QVariant();
            if (name.isValid())
                parts += name.toString();
        }
    }
    return parts.join(QLatin1Char('|'));
}

void CustomizeToolBar::requestShadowUpdate()
{
    emit shadowUpdateNeeded(
        QRect(mapToGlobal(QPoint(-50, -50)), size() + QSize(100, 100)));
}

Slot CustomizeToolBar::slotAt(QPointF pos) const
{
    if (pos.x() < margin)
        return none;
    const int x = qRound(pos.x()) - margin;
    const int c = x / columnStep;
    if (x % columnStep > columnWidth - 1 || c >= d->columns.size())
        return none;
    const int h = d->columnHeight(c);
    int y = qRound(pos.y()) - (height() - h) / 2;
    if (y < 0 || h < 0 || y >= h)
        return none;
    const QList<Entry>& column = d->columns.at(c);
    for (int r = 0; r < column.size(); ++r) {
        const int entryHeight = Private::entryHeight(column.at(r));
        if (y < entryHeight)
            return Slot(c, r);
        y -= entryHeight;
    }
    return none;
}

QPointF CustomizeToolBar::slotCentre(Slot slot) const
{
    const int c = slot.x();
    const int h = d->columnHeight(c);
    double y = (height() - h) / 2;
    const QList<Entry> column = c >= 0 && c < d->columns.size() ? d->columns.at(c) : QList<Entry>();
    for (int r = 0; r < slot.y() && r < column.size(); ++r)
        y += Private::entryHeight(column.at(r));
    const bool action = slot.y() >= 0 && slot.y() < column.size() && column.at(slot.y());
    return QPointF(columnStep * c + 28, y + (action ? 20 : 10));
}

Slot CustomizeToolBar::dropSlotFor(QPointF pos) const
{
    if (pos.x() < margin)
        return none;
    const int x = qRound(pos.x()) - margin;
    const int c = x / columnStep;
    if (x % columnStep > columnWidth - 1 || c >= columnCount)
        return none;
    const bool draggedAction = d->dragged != nullptr;
    const int h = d->columnHeight(c);
    // A column the preview is not in yet takes an entry only while there is
    // room for it.
    if (d->previewSlot.x() != c && h + 16 + (draggedAction ? 16 : 0) > height() - 16)
        return none;
    const int y = qRound(pos.y()) - (height() - h) / 2;
    if (y < 0)
        return Slot(c, 0);
    const int count = d->columns.at(c).size();
    if (count > 0 && y < h) {
        if (d->previewSlot.x() == c) {
            // Hysteresis: the preview moves on only once the pointer is well
            // into the neighbouring entry, so it does not flicker between two.
            const Slot s = slotAt(pos);
            if (s == d->previewSlot || s == none)
                return d->previewSlot;
            const int entryMargin = d->entryAt(s) ? 16 : 8;
            const int draggedMargin = draggedAction ? 16 : 8;
            const double centreY = slotCentre(s).y();
            if (s.y() > d->previewSlot.y())
                return pos.y() > centreY + entryMargin - draggedMargin ? s : d->previewSlot;
            return pos.y() < centreY - entryMargin + 8 + (draggedAction ? 8 : 0) ? s
                                                                                  : d->previewSlot;
        }
        return slotAt(QPointF(pos.x(), pos.y() - 10));
    }
    return Slot(c, qMax(count - 1, 0));
}

Entry CustomizeToolBar::takeAt(Slot slot)
{
    if (!d->isValid(slot))
        return nullptr;
    return d->columns[slot.x()].takeAt(slot.y());
}

void CustomizeToolBar::insertAt(Slot slot, Entry entry)
{
    if (slot.x() < 0 || slot.x() >= d->columns.size() || slot.y() < 0
        || slot.y() > d->columns.at(slot.x()).size())
        return;
    d->columns[slot.x()].insert(slot.y(), entry);
}

bool CustomizeToolBar::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const Entry entry = d->entryAt(slotAt(help->pos()));
    if (entry && entry->action) {
        QToolTip::showText(help->globalPos(), entry->action->toolTip());
    } else {
        QToolTip::hideText();
        event->ignore();
    }
    return true;
}

void CustomizeToolBar::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        d->pressPosition = event->position();
}

void CustomizeToolBar::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton)) {
        const Slot slot = slotAt(event->position());
        if (slot != d->hoverSlot) {
            d->hoverSlot = slot;
            update();
        }
        return;
    }
    if ((event->position() - d->pressPosition).manhattanLength()
        < QApplication::startDragDistance())
        return;
    startDragOut(d->pressPosition);
}

void CustomizeToolBar::startDragOut(QPointF pressPosition)
{
    const Slot source = slotAt(pressPosition);
    if (source == none)
        return;
    const Entry entry = d->entryAt(source);
    QString name = ActionDrag::spacerName;
    if (entry) {
        const QVariant property =
            entry->action ? entry->action->property("KWActionName") : QVariant();
        if (!property.isValid())
            return;
        name = property.toString();
    }
    auto* drag = new QDrag(this);
    drag->setMimeData(ActionDrag::mimeData(name, true));
    if (entry) {
        drag->setPixmap(ActionDrag::actionPixmap(entry->defaultIcon));
        drag->setHotSpot(QPoint(16, 16));
    } else {
        drag->setPixmap(ActionDrag::artworkPixmap(d->spacerNoLine));
        drag->setHotSpot(QPoint(16, 8));
    }
    d->hoverSlot = none;
    takeAt(source);
    update();
    // A move means the entry went back in here or into the bin; anything
    // else puts it back where it was.
    if (ActionDrag::run(drag, Qt::MoveAction) != Qt::MoveAction)
        insertAt(source, entry);
    update();
    requestShadowUpdate();
}

void CustomizeToolBar::dragEnterEvent(QDragEnterEvent* event)
{
    const QString name = ActionDrag::entryName(event->mimeData());
    if (name.isNull())
        return;
    d->dragged = name == ActionDrag::spacerName
                     ? nullptr
                     : Model::ActionManager::instance()->kwAction(name);
    event->acceptProposedAction();
}

void CustomizeToolBar::dragMoveEvent(QDragMoveEvent* event)
{
    const Slot old = d->previewSlot;
    const Slot slot = dropSlotFor(event->position());
    d->previewSlot = slot;
    if (slot == none) {
        if (old != none)
            takeAt(old);
        event->ignore();
    } else {
        if (old != none && old.x() == slot.x()) {
            if (old != slot && d->isValid(old) && d->isValid(slot))
                d->columns[slot.x()].swapItemsAt(old.y(), slot.y());
        } else {
            if (old != none)
                takeAt(old);
            insertAt(slot, d->dragged);
        }
        event->acceptProposedAction();
    }
    if (slot != old) {
        update();
        requestShadowUpdate();
    }
}

void CustomizeToolBar::dragLeaveEvent(QDragLeaveEvent*)
{
    const Slot old = d->previewSlot;
    d->previewSlot = none;
    if (old != none) {
        takeAt(old);
        d->dragged = nullptr;
        update();
        requestShadowUpdate();
    }
}

void CustomizeToolBar::dropEvent(QDropEvent* event)
{
    const Slot slot = dropSlotFor(event->position());
    const Slot preview = d->previewSlot;
    if (slot != none) {
        // A drop with no move before it still lands where it points.
        if (preview == none)
            insertAt(slot, d->dragged);
        event->acceptProposedAction();
        d->flashSlot = preview != none ? preview : slot;
        d->flashTimer.start();
        update();
    } else {
        event->ignore();
    }
    d->previewSlot = none;
    if (preview != none)
        update();
    requestShadowUpdate();
}

void CustomizeToolBar::resizeEvent(QResizeEvent*) {}

void CustomizeToolBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.save();
    painter.setOpacity(0.05);
    paintPanel(painter, QRectF(rect()));
    painter.restore();
    const QRectF bar = d->barRect(height());
    if (!bar.isNull())
        paintPanel(painter, bar);

    const auto renderCentred = [&](QSvgRenderer& art, QPointF c) {
        UI::renderCentred(&painter, art, c);
    };
    for (int c = 0; c < d->columns.size(); ++c) {
        for (int r = 0; r < d->columns.at(c).size(); ++r) {
            const Slot slot(c, r);
            const Entry entry = d->columns.at(c).at(r);
            const QPointF centre = slotCentre(slot);
            QRectF iconRect(0, 0, 32, 32);
            iconRect.moveCenter(centre);
            const auto paintIcon = [&] {
                entry->defaultIcon.paint(&painter, iconRect.toRect(), Qt::AlignCenter,
                                         QIcon::Normal, QIcon::Off);
            };
            if (slot == d->flashSlot && entry) {
                renderCentred(d->clickArt, centre + d->clickOffset);
                paintIcon();
                renderCentred(d->hoverArt, centre + d->hoverOffset);
            } else if (slot == d->previewSlot) {
                renderCentred(entry ? d->iconFrame : d->spacerLine, centre);
            } else if (!entry) {
                renderCentred(d->spacerNoLine, centre);
                if (slot == d->flashSlot) {
                    renderCentred(d->spacerClick, centre + d->spacerClickOffset);
                    renderCentred(d->spacerLine, centre);
                    renderCentred(d->hoverArt, centre + d->hoverOffset);
                } else if (slot == d->hoverSlot) {
                    renderCentred(d->hoverArt, centre + d->hoverOffset);
                }
            } else {
                paintIcon();
                if (slot == d->hoverSlot)
                    renderCentred(d->hoverArt, centre + d->hoverOffset);
            }
        }
    }
}

void CustomizeToolBar::paintBackgroundShadow(QPainter* painter)
{
    const QRectF bar = d->barRect(height());
    if (bar.isNull())
        return;
    const double x = bar.x();
    const double y = bar.y();
    const double w = bar.width();
    const double h = bar.height();
    const double inner = 28;
    const double side = inner + shadowReach;
    painter->save();
    painter->setPen(Qt::NoPen);
    const auto band = [&](QRectF area, QPointF from, QPointF to) {
        PanelShadow::fillBand(painter, d->sideShadow, area, from, to);
    };
    band(QRectF(x - shadowReach, y + inner, side, h - 2 * inner), QPointF(x + inner, y + inner),
         QPointF(x - shadowReach, y + inner));
    band(QRectF(x + w - inner, y + inner, side, h - 2 * inner), QPointF(x + w - inner, y + inner),
         QPointF(x + w + shadowReach, y + inner));
    band(QRectF(x + inner, y - shadowReach, w - 2 * inner, side), QPointF(x + inner, y + inner),
         QPointF(x + inner, y - shadowReach));
    band(QRectF(x + inner, y + h - inner, w - 2 * inner, side), QPointF(x + inner, y + h - inner),
         QPointF(x + inner, y + h + shadowReach));
    d->cornerShadow.setRadius(side);
    const auto corner = [&](QPointF topLeft, QPointF centre) {
        PanelShadow::fillCorner(painter, d->cornerShadow, QRectF(topLeft, QSizeF(side, side)),
                                centre);
    };
    corner(QPointF(x - shadowReach, y - shadowReach), QPointF(x + inner, y + inner));
    corner(QPointF(x + w - inner, y - shadowReach), QPointF(x + w - inner, y + inner));
    corner(QPointF(x - shadowReach, y + h - inner), QPointF(x + inner, y + h - inner));
    corner(QPointF(x + w - inner, y + h - inner), QPointF(x + w - inner, y + h - inner));
    painter->restore();
}

} // namespace UI
