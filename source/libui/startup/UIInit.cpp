#include "startup/UIInit.h"

#include <QFile>
#include <QFontDatabase>

// The widget library is static: its resource set's own initialiser is not
// guaranteed to have run before the first artwork is read.
static void registerUIResources()
{
    Q_INIT_RESOURCE(ui);
}

namespace UI {

namespace {
bool initialised = false;
}

void init()
{
    if (initialised)
        return;
    registerUIResources();
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
