#include "customize/ActionDrag.h"

#include <QDrag>
#include <QGuiApplication>
#include <QIcon>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <QVariant>

namespace UI::ActionDrag {

const QString mimeType = QStringLiteral("application/x-quillmere-actions");
const QString spacerName = QStringLiteral("Spacer");

namespace {
Runner& runner()
{
    static Runner r;
    return r;
}
} // namespace

Qt::DropAction run(QDrag* drag, Qt::DropActions actions)
{
    if (runner())
        return runner()(drag, actions);
    return drag->exec(actions);
}

void setRunner(Runner r)
{
    runner() = std::move(r);
}

QMimeData* mimeData(const QString& name, bool withText)
{
    auto* data = new QMimeData;
    if (withText)
        data->setText(name);
    data->setData(mimeType, name.toUtf8());
    return data;
}

QString entryName(const QMimeData* data)
{
    if (!data || !data->hasFormat(mimeType))
        return QString();
    const QVariant payload(data->data(mimeType));
    if (!payload.canConvert<QString>())
        return QString();
    // A present but empty payload still names nothing.
    const QString name = payload.toString();
    return name.isNull() ? QStringLiteral("") : name;
}

QPixmap actionPixmap(const QIcon& icon)
{
    const qreal ratio = qApp->devicePixelRatio();
    const int side = int(32 * ratio);
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(234, 231, 229, 192));
        painter.drawRoundedRect(pixmap.rect(), 25, 25, Qt::RelativeSize);
        icon.paint(&painter, pixmap.rect(), Qt::AlignCenter, QIcon::Normal, QIcon::Off);
    }
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

QPixmap artworkPixmap(QSvgRenderer& art)
{
    const qreal ratio = qApp->devicePixelRatio();
    const QSize size(qRound(art.defaultSize().width() * ratio),
                     qRound(art.defaultSize().height() * ratio));
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        art.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    }
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

} // namespace UI::ActionDrag
