#include "application/WindowScreenshot.h"

#include "canvas/Paper.h"
#include "files/FileWriter.h"
#include "mainwindow/MainWindow.h"
#include "panels/ToolBar.h"
#include "timeline/Timeline.h"
#include "xsheet/XSheet.h"

#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace {

QString rectText(const QWidget* window, const QWidget* widget)
{
    if (!widget || !widget->isVisible())
        return QStringLiteral("0,0,0,0");
    const QRect r = QRect(widget->mapTo(window, QPoint(0, 0)), widget->size()) & window->rect();
    return QStringLiteral("%1,%2,%3,%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

void write(MainWindow* window, const QString& path)
{
    QPixmap picture;
    if (QScreen* screen = window->screen())
        picture = screen->grabWindow(window->winId());
    if (picture.isNull() || picture.size() != window->size())
        picture = window->grab();
    QImage image = picture.toImage();
    image.setText(QStringLiteral("canvas"), rectText(window, window->findChild<UI::Paper*>()));
    image.setText(QStringLiteral("sheet"), rectText(window, window->findChild<UI::XSheet*>()));
    image.setText(QStringLiteral("timeline"), rectText(window, window->findChild<UI::Timeline*>()));
    image.setText(QStringLiteral("toolbar"), rectText(window, window->findChild<UI::ToolBar*>()));

    // Written aside and moved into place, so that a watcher never reads half.
    QString reason;
    if (!Model::FileWriter::writeImage(path, image, "PNG", &reason))
        qWarning("Cannot write the window's picture to %s: %s", qPrintable(path),
                 qPrintable(reason));
}

} // namespace

void writeScreenshotWhenShown(MainWindow* window, const QString& path)
{
    auto* poll = new QTimer(window);
    poll->setInterval(100);
    QObject::connect(poll, &QTimer::timeout, window, [window, poll, path] {
        if (!window->quillmereScene() || !window->isVisible() || !window->windowHandle()
            || !window->windowHandle()->isExposed())
            return;
        poll->deleteLater();
        // Let the first frames of the scene reach the screen.
        QTimer::singleShot(500, window, [window, path] { write(window, path); });
    });
    poll->start();
}
