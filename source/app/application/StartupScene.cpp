#include "application/StartupScene.h"

#include "mainwindow/MainWindow.h"

#include <QTimer>

void openStartupScene(MainWindow* window, const QStringList& arguments)
{
    if (arguments.size() < 2) {
        QTimer::singleShot(0, window, &MainWindow::newSceneIfNoneOpen);
        return;
    }
    const QString path = arguments.at(1);
    QTimer::singleShot(0, window, [window, path] {
        if (!window->openFile(path))
            window->newSceneIfNoneOpen();
    });
}
