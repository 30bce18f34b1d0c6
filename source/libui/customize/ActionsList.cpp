#include "customize/ActionsList.h"

#include "actions/ActionManager.h"
#include "customize/ActionDrag.h"

#include <QAction>
#include <QDrag>
#include <QGuiApplication>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QSvgRenderer>

namespace UI {

namespace {

// The action's icon on the customisation icon frame, 36 logical pixels.
QIcon framedIcon(const QIcon& icon)
{
    const qreal ratio = qApp->devicePixelRatio();
    const int side = int(36 * ratio);
    QPixmap pixmap(side, side);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        QSvgRenderer frame(QStringLiteral(":/customize/iconFrame.svg"));
        frame.render(&painter, QRectF(0, 0, 36, 36));
        icon.paint(&painter, QRect(2, 2, 32, 32), Qt::AlignCenter, QIcon::Normal, QIcon::Off);
    }
    return QIcon(pixmap);
}

} // namespace

ActionsList::ActionsList(QWidget* parent)
    : QListWidget(parent)
{
    horizontalScrollBar()->setProperty("ActionsList ScrollBar", true);
    verticalScrollBar()->setProperty("ActionsList ScrollBar", true);
}

void ActionsList::addEmptyItem()
{
    auto* item = new QListWidgetItem(this);
    item->setData(SeparatorRole, false);
    item->setFlags(Qt::NoItemFlags);
}

void ActionsList::addSectionHeader(const QString& title)
{
    auto* item = new QListWidgetItem(title.toUpper(), this);
    item->setData(SeparatorRole, true);
    item->setFlags(item->flags()
                   & ~(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled));
}

void ActionsList::addDivider()
{
    auto* item = new QListWidgetItem(this);
    item->setData(SeparatorRole, true);
    item->setFlags(item->flags()
                   & ~(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled));
}

void ActionsList::addAction(QAction* action)
{
    if (!action) {
        qDebug() << "addAction" << "trying to insert null action";
        return;
    }
    QString text = action->iconText();
    text.remove(QLatin1Char('&'));
    auto* item = new QListWidgetItem(text, this);
    item->setData(SeparatorRole, false);
    const QVariant name = action->property("KWActionName");
    if (name.isValid())
        item->setData(NameRole, name.toString());
    else
        qDebug() << "addAction" << "Adding action without name";
    item->setIcon(framedIcon(action->icon()));
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled);
}

QMimeData* ActionsList::dragData(const QListWidgetItem* item) const
{
    if (!item)
        return nullptr;
    const QString name = item->data(NameRole).toString();
    if (!Model::ActionManager::instance()->kwAction(name))
        return nullptr;
    return ActionDrag::mimeData(name, false);
}

void ActionsList::dragEnterEvent(QDragEnterEvent*) {}

void ActionsList::dragMoveEvent(QDragMoveEvent*) {}

void ActionsList::dropEvent(QDropEvent*) {}

void ActionsList::startDrag(Qt::DropActions)
{
    QListWidgetItem* item = currentItem();
    QMimeData* data = dragData(item);
    if (!data)
        return;
    const auto* record =
        Model::ActionManager::instance()->kwAction(item->data(NameRole).toString());
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    drag->setPixmap(ActionDrag::actionPixmap(record->defaultIcon));
    drag->setHotSpot(QPoint(16, 16));
    ActionDrag::run(drag, Qt::CopyAction);
}

} // namespace UI
