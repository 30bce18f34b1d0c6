#include "application/Application.h"
#include "logging/Logging.h"
#include "startup/Init.h"
#include "startup/UIInit.h"

#include <QWidget>

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

        QWidget window;
        window.setWindowTitle(QStringLiteral("Quillmere"));
        window.resize(1280, 800);
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
