#include "panels/ToolBarHandle.h"

#include "common/UIScale.h"

#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>

namespace UI {

struct ToolBarHandle::Private
{
    KW::ToolBarPosition position = KW::ToolBarPosition::Left;
    bool opened = false;
    QPoint leftCenter;
    QPoint rightCenter;
    QSvgRenderer closedArt{QStringLiteral(":/toolbar/toolbarOpen.svg")};
    QSvgRenderer openArt{QStringLiteral(":/toolbar/toolbarClose.svg")};
    QSize closedSize;
    QSize openSize;

    void computeSizes()
    {
        closedSize = QSize(scaled(23), scaled(15));
        openSize = QSize(scaled(32), scaled(15));
    }
};

ToolBarHandle::ToolBarHandle(QWidget* parent)
    : QWidget(parent), d(std::make_unique<Private>())
{
    d->computeSizes();
    setFocusPolicy(Qt::ClickFocus);
    updateHandle();
}

ToolBarHandle::~ToolBarHandle() = default;

KW::ToolBarPosition ToolBarHandle::handlePosition() const
{
    return d->position;
}

bool ToolBarHandle::isOpened() const
{
    return d->opened;
}

void ToolBarHandle::updateUISize()
{
    d->computeSizes();
    updateHandle();
    update();
    updateGeometry();
}

void ToolBarHandle::moveLeftAndRightCenter(QPoint leftCenter, QPoint rightCenter)
{
    d->leftCenter = leftCenter;
    d->rightCenter = rightCenter;
    updateHandle();
}

void ToolBarHandle::setOpened(bool opened)
{
    d->opened = opened;
    updateHandle();
}

void ToolBarHandle::setHandlePosition(KW::ToolBarPosition position)
{
    if (d->position == position)
        return;
    d->position = position;
    updateHandle();
}

void ToolBarHandle::updateHandle()
{
    if (d->opened) {
        resize(d->openSize);
        setToolTip(tr("Hide Tool Bar"));
    } else {
        resize(d->closedSize);
        setToolTip(tr("Show Tool Bar"));
    }
    if (d->position == KW::ToolBarPosition::Right)
        move(d->rightCenter.x() - width(), d->rightCenter.y() - height() / 2);
    else
        move(d->leftCenter.x(), d->leftCenter.y() - height() / 2);
}

void ToolBarHandle::mouseReleaseEvent(QMouseEvent* event)
{
    const double s = uiScale();
    const int x = qRound(event->position().x());
    bool counts;
    if (d->opened)
        counts = 9 * s <= x && x <= 23 * s;
    else if (d->position == KW::ToolBarPosition::Right)
        counts = x <= 14 * s;
    else
        counts = x >= 9 * s;
    if (!counts) {
        event->ignore();
        return;
    }
    d->opened = !d->opened;
    updateHandle();
    emit toggled(d->opened);
    event->accept();
}

void ToolBarHandle::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (d->opened) {
        d->openArt.render(&painter, QRectF(QPointF(0, 0), d->openSize));
    } else if (d->position == KW::ToolBarPosition::Right) {
        d->closedArt.render(&painter, QRectF(QPointF(0, 0), d->closedSize));
    } else {
        // The closed tab points the other way on the left side.
        painter.rotate(180);
        painter.translate(-d->closedSize.width(), -d->closedSize.height());
        d->closedArt.render(&painter, QRectF(QPointF(0, 0), d->closedSize));
    }
}

} // namespace UI
