#include "startup/UIInit.h"

#include <QFile>
#include <QFontDatabase>

namespace UI {

namespace {
bool initialised = false;
}

void init()
{
    if (initialised)
        return;
    // The widget resources are linked in and registered by their own static
    // initialiser; only the application font needs adding.
    const QString font = QStringLiteral(":/fonts/PassionOne-Regular.ttf");
    if (QFile::exists(font))
        QFontDatabase::addApplicationFont(font);
    initialised = true;
}

void shutdown()
{
    initialised = false;
}

} // namespace UI
