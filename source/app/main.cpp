#include "application/Application.h"
#include "application/StartupScene.h"
#include "application/WindowScreenshot.h"
#include "logging/Logging.h"
#include "mainwindow/MainWindow.h"
#include "startup/Init.h"
#include "startup/UIInit.h"

#include <exception>
#include <iostream>
#include <memory>

int main(int argc, char** argv)
{
    // The settings store is keyed by these names: they come before anything
    // reads a setting.
    QCoreApplication::setOrganizationName(QStringLiteral("Quillmere"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("quillmere.org"));
    QCoreApplication::setApplicationName(QStringLiteral("Quillmere"));

    auto app = std::make_unique<Application>(argc, argv);
    Logging::setupDebugging();
    try {
        Model::init();
        UI::init();

        auto window = std::make_unique<MainWindow>();
        QObject::connect(app.get(), &Application::requestFileOpen, window.get(),
                         &MainWindow::openFile);
        openStartupScene(window.get(), QCoreApplication::arguments());
        QObject::connect(app.get(), &Application::tabletPointerTypeChanged, window.get(),
                         &MainWindow::setTabletPointerType);
        if (!qEnvironmentVariableIsEmpty("QUILLMERE_SCREENSHOT"))
            writeScreenshotWhenShown(window.get(), qEnvironmentVariable("QUILLMERE_SCREENSHOT"));
        window->show();
        const int code = QApplication::exec();

        Model::shutdown();
        UI::shutdown();
        window.reset();
        app.reset();
        return code;
    } catch (const std::exception& e) {
        std::cerr << e.what() << std::endl;
    } catch (...) {
        std::cerr << "Unknown exception" << std::endl;
    }
    return -1;
}
