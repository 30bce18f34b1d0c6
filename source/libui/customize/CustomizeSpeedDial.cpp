#include "customize/CustomizeSpeedDial.h"

#include "common/SvgArt.h"
#include "customize/ActionDrag.h"
#include "panels/DialGeometry.h"

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
const QPointF centre(97, 97);
constexpr double outerRadius = 89.75;
constexpr double innerRadius = 46.75;
constexpr double iconRadius = 69;
constexpr int side = 194;
} // namespace

using Record = Model::ActionManager::ActionRecord;

struct CustomizeSpeedDial::Private
{
    QPainterPath sectorTemplate = DialGeometry::sectorTemplate(centre, outerRadius, innerRadius);
    QPainterPath dropSector;
    QSvgRenderer baseArt{QStringLiteral(":/speeddial/quickselectBase.svg")};
    QSvgRenderer shadowArt{QStringLiteral(":/speeddial/quickselectShadow.svg")};
    QSvgRenderer highlightArt{QStringLiteral(":/speeddial/quickselectHighlightShadow.svg")};
    QSvgRenderer frameArt{QStringLiteral(":/customize/iconFrame.svg")};
    QTimer dropHighlightTimer;
    QList<Record*> entries = QList<Record*>(DialGeometry::slotCount, nullptr);
    int dropSlot = -1;
    int dragSourceSlot = -1;
    int dropHighlightSlot = -1;
    QPointF pressPosition;
};

CustomizeSpeedDial::CustomizeSpeedDial(QWidget* parent)
    : QWidget(parent), d(std::make_unique<Private>())
{
    setAttribute(Qt::WA_NoSystemBackground);
    setFixedSize(side, side);
    setSizePolicy(QSizePolicy::MinimumExpanding, QSizePolicy::MinimumExpanding);
    setAcceptDrops(true);
    d->dropHighlightTimer.setSingleShot(true);
    d->dropHighlightTimer.setInterval(333);
    connect(&d->dropHighlightTimer, &QTimer::timeout, this, [this] {
        d->dropHighlightSlot = -1;
        update();
    });
}

CustomizeSpeedDial::~CustomizeSpeedDial() = default;

QSize CustomizeSpeedDial::minimumSizeHint() const
{
    return QSize(side, side);
}

void CustomizeSpeedDial::restoreSettings(const QString& layout)
{
    const QStringList tokens = layout.split(QLatin1Char('|'), Qt::KeepEmptyParts);
    for (int i = 0; i < qMin<int>(tokens.size(), DialGeometry::slotCount); ++i)
        d->entries[i] = Model::ActionManager::instance()->kwAction(tokens.at(i));
    update();
}

QString CustomizeSpeedDial::saveSettings() const
{
    QStringList tokens;
    for (const Record* record : d->entries)
        tokens += record && record->action ? record->action->property("KWActionName").toString()
                                           : QString();
    return tokens.join(QLatin1Char('|'));
}

Record* CustomizeSpeedDial::slotRecord(int slot) const
{
    return slot >= 0 && slot < DialGeometry::slotCount ? d->entries.at(slot) : nullptr;
}

int CustomizeSpeedDial::dropSlot() const
{
    return d->dropSlot;
}

int CustomizeSpeedDial::dropHighlightSlot() const
{
    return d->dropHighlightSlot;
}

int CustomizeSpeedDial::slotAt(QPointF pos) const
{
    const double distance = QLineF(centre, pos).length();
    if (distance < innerRadius || distance > outerRadius)
        return -1;
    return DialGeometry::slotForAngle(DialGeometry::directionTo(centre, pos));
}

QPointF CustomizeSpeedDial::slotIconCentre(int slot) const
{
    return DialGeometry::iconCentre(centre, iconRadius, slot);
}

void CustomizeSpeedDial::turnDropSector(QPointF pos)
{
    d->dropSector = DialGeometry::turnedSector(
        d->sectorTemplate, DialGeometry::snapAngle(DialGeometry::directionTo(centre, pos)), centre);
}

void CustomizeSpeedDial::paintBackgroundShadow(QPainter* painter)
{
    renderCentred(painter, d->shadowArt, QRectF(rect()).center());
}

void CustomizeSpeedDial::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    d->baseArt.render(&painter, QRectF(QPointF(0, 0), QSizeF(d->baseArt.defaultSize())));
    const int highlight = d->dropSlot != -1 ? d->dropSlot : d->dropHighlightSlot;
    if (highlight != -1) {
        QRectF square(0, 0, 100, 100);
        square.moveCenter(slotIconCentre(highlight));
        d->highlightArt.render(&painter, square);
        painter.fillPath(d->dropSector, QColor(221, 216, 213));
    }
    for (int k = 0; k < DialGeometry::slotCount; ++k) {
        const QPointF c = slotIconCentre(k);
        const Record* record = d->entries.at(k);
        if (k != d->dropSlot && k != d->dragSourceSlot && record) {
            QRectF iconRect(0, 0, 32, 32);
            iconRect.moveCenter(c);
            painter.save();
            if (record->action && !record->action->isEnabled())
                painter.setOpacity(painter.opacity() * 0.3);
            record->defaultIcon.paint(&painter, iconRect.toRect(), Qt::AlignCenter,
                                      QIcon::Normal, QIcon::Off);
            painter.restore();
        } else {
            renderCentred(&painter, d->frameArt, c);
        }
    }
}

void CustomizeSpeedDial::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasFormat(ActionDrag::mimeType))
        event->acceptProposedAction();
}

void CustomizeSpeedDial::dragMoveEvent(QDragMoveEvent* event)
{
    const int previous = d->dropSlot;
    d->dropSlot = slotAt(event->position());
    if (d->dropSlot == -1)
        event->ignore();
    else
        event->acceptProposedAction();
    if (d->dropSlot != previous) {
        turnDropSector(event->position());
        update();
    }
}

void CustomizeSpeedDial::dragLeaveEvent(QDragLeaveEvent*)
{
    if (d->dropSlot != -1) {
        d->dropSlot = -1;
        update();
    }
}

void CustomizeSpeedDial::dropEvent(QDropEvent* event)
{
    const int target = slotAt(event->position());
    if (target != -1 && target != d->dragSourceSlot) {
        const QString name = ActionDrag::entryName(event->mimeData());
        if (!name.isNull()) {
            event->acceptProposedAction();
            d->entries[target] = Model::ActionManager::instance()->kwAction(name);
            turnDropSector(event->position());
            d->dropHighlightSlot = target;
            d->dropHighlightTimer.start();
            update();
        }
    } else {
        // Outside the ring, or back onto the slot it came from: nothing moves.
        event->ignore();
    }
    if (d->dropSlot != -1) {
        d->dropSlot = -1;
        update();
    }
}

void CustomizeSpeedDial::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        d->pressPosition = event->position();
}

void CustomizeSpeedDial::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    if ((event->position() - d->pressPosition).manhattanLength()
        < QApplication::startDragDistance())
        return;
    const int source = slotAt(d->pressPosition);
    if (source == -1)
        return;
    d->dragSourceSlot = source;
    const Record* record = d->entries.at(source);
    const QVariant name =
        record && record->action ? record->action->property("KWActionName") : QVariant();
    if (!name.isValid()) {
        d->dragSourceSlot = -1;
        return;
    }
    auto* drag = new QDrag(this);
    drag->setMimeData(ActionDrag::mimeData(name.toString(), true));
    drag->setPixmap(ActionDrag::actionPixmap(record->defaultIcon));
    drag->setHotSpot(QPoint(16, 16));
    update();
    if (ActionDrag::run(drag, Qt::MoveAction) == Qt::MoveAction) {
        // Moved within this dial, another dial or the bin: the source lets go
        // unless the move brought another entry here.
        if (d->entries.at(source) == record)
            d->entries[source] = nullptr;
    }
    d->dragSourceSlot = -1;
    update();
}

bool CustomizeSpeedDial::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const Record* record = slotRecord(slotAt(help->pos()));
    if (record && record->action) {
        QToolTip::showText(help->globalPos(), record->action->toolTip());
    } else {
        QToolTip::hideText();
        event->ignore();
    }
    return true;
}

} // namespace UI
