#include "customize/RecycleBin.h"

#include "customize/ActionDrag.h"

#include <QDragEnterEvent>
#include <QMimeData>
#include <QPainter>
#include <QSvgRenderer>
#include <QTimer>

namespace UI {

struct RecycleBin::Private
{
    QSvgRenderer normalArt{QStringLiteral(":/customize/recycleDropBin.svg")};
    QSvgRenderer highlightArt{QStringLiteral(":/customize/recycleDropBin-hover.svg")};
    QTimer flashTimer;
    double dropRadius = 50;
    QPointF centre{100, 100};
    bool dragOver = false;
};

RecycleBin::RecycleBin(QWidget* parent)
    : QWidget(parent), d(std::make_unique<Private>())
{
    const QSize size = d->normalArt.defaultSize();
    d->dropRadius = (size.width() + size.height()) / 8.0;
    d->centre = QPointF(size.width() / 2.0, size.height() / 2.0);
    d->flashTimer.setSingleShot(true);
    d->flashTimer.setInterval(333);
    connect(&d->flashTimer, &QTimer::timeout, this, qOverload<>(&QWidget::update));
    setFixedSize(size);
    setAcceptDrops(true);
}

RecycleBin::~RecycleBin() = default;

bool RecycleBin::isHighlighted() const
{
    return d->dragOver || d->flashTimer.isActive();
}

bool RecycleBin::isOverBin(QPointF pos) const
{
    return QLineF(d->centre, pos).length() < d->dropRadius;
}

void RecycleBin::dragEnterEvent(QDragEnterEvent* event)
{
    // Only entries taken out of an editor can be thrown away.
    if ((event->possibleActions() & Qt::MoveAction)
        && event->mimeData()->hasFormat(ActionDrag::mimeType))
        event->acceptProposedAction();
}

void RecycleBin::dragMoveEvent(QDragMoveEvent* event)
{
    const bool over = isOverBin(event->position());
    if (over)
        event->acceptProposedAction();
    else
        event->ignore();
    if (over != d->dragOver) {
        d->dragOver = over;
        update();
    }
}

void RecycleBin::dragLeaveEvent(QDragLeaveEvent*)
{
    if (d->dragOver) {
        d->dragOver = false;
        update();
    }
}

void RecycleBin::dropEvent(QDropEvent* event)
{
    if (isOverBin(event->position())) {
        event->acceptProposedAction();
        d->flashTimer.start();
    } else {
        event->ignore();
    }
    d->dragOver = false;
    update();
}

void RecycleBin::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    (isHighlighted() ? d->highlightArt : d->normalArt).render(&painter, QRectF(rect()));
}

} // namespace UI
