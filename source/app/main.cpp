#include "application/Application.h"
#include "logging/Logging.h"
#include "mainwindow/MainWindow.h"
#include "startup/Init.h"
#include "startup/UIInit.h"

#include <QTimer>

#include <exception>
#include <iostream>

int main(int argc, char** argv)
{
    QCoreApplication::setOrganizationName(QStringLiteral("Quillmere"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("quillmere.org"));
    QCoreApplication::setApplicationName(QStringLiteral("Quillmere"));

    Application app(argc, argv);
    Logging::setupDebugging();
    try {
        Model::init();
        UI::init();

        MainWindow window;
        QObject::connect(&app, &Application::requestFileOpen, &window, &MainWindow::openFile);
        const QStringList arguments = QCoreApplication::arguments();
        if (arguments.size() < 2) {
            QTimer::singleShot(0, &window, &MainWindow::newSceneIfNoneOpen);
        } else {
            // Only the first argument names a scene; the rest are ignored.
            const QString path = arguments.at(1);
            QTimer::singleShot(0, &window, [&window, path] {
                if (!window.openFile(path))
                    window.newSceneIfNoneOpen();
            });
        }
        window.show();
        const int code = app.exec();
        Model::shutdown();
        UI::shutdown();
        return code;
    } catch (const std::exception& e) {
        std::cerr << e.what() << std::endl;
    } catch (...) {
        std::cerr << "Unknown exception" << std::endl;
    }
    return -1;
}
