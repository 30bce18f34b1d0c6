#include "customize/DraggableSpacer.h"

#include "common/SvgArt.h"
#include "customize/ActionDrag.h"

#include <QApplication>
#include <QDrag>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>

namespace UI {

struct DraggableSpacer::Private
{
    QSvgRenderer spacerArt{QStringLiteral(":/customize/iconSpacer.svg")};
    QSvgRenderer dragArt{QStringLiteral(":/customize/iconSpacerNoLine.svg")};
    QSvgRenderer hoverArt{QStringLiteral(":/toolbar/icon-hover.svg")};
    QPointF hoverOffset{1, 1};
    QPointF pressPosition;
    bool hovered = false;
};

DraggableSpacer::DraggableSpacer(QWidget* parent)
    : QWidget(parent), d(std::make_unique<Private>())
{
    setFixedSize(d->hoverArt.defaultSize());
    setMouseTracking(true);
}

DraggableSpacer::~DraggableSpacer() = default;

bool DraggableSpacer::isHovered() const
{
    return d->hovered;
}

void DraggableSpacer::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        d->pressPosition = event->position();
}

void DraggableSpacer::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    if ((event->position() - d->pressPosition).manhattanLength()
        < QApplication::startDragDistance())
        return;
    auto* drag = new QDrag(this);
    drag->setMimeData(ActionDrag::mimeData(ActionDrag::spacerName, true));
    drag->setPixmap(ActionDrag::artworkPixmap(d->dragArt));
    drag->setHotSpot(QPoint(16, 8));
    ActionDrag::run(drag, Qt::CopyAction);
}

void DraggableSpacer::enterEvent(QEnterEvent*)
{
    d->hovered = true;
    update();
}

void DraggableSpacer::leaveEvent(QEvent*)
{
    d->hovered = false;
    update();
}

void DraggableSpacer::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPointF centre = QRectF(rect()).center();
    renderCentred(&painter, d->spacerArt, centre);
    if (d->hovered)
        renderCentred(&painter, d->hoverArt, centre + d->hoverOffset);
}

} // namespace UI
