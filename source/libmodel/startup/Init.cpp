#include "startup/Init.h"

#include "actions/ActionManager.h"
#include "settings/Settings.h"
#include "strokes/Blending.h"
#include "tools/Cursor.h"
#include "tools/ToolManager.h"

#include <QCoreApplication>
#include <QtGlobal>

#ifndef QUILLMERE_PROJECT_VERSION
#define QUILLMERE_PROJECT_VERSION ""
#endif

// Q_INIT_RESOURCE declares the resource set's initialiser, which lives outside
// any namespace, so it has to be called from file scope. The model library is
// static: nothing guarantees that its resource object's own initialiser runs
// before the action icons and pointers are read.
static void registerModelResources()
{
    Q_INIT_RESOURCE(model);
}

namespace Model {

namespace {
bool started = false;
}

QString version()
{
    return QStringLiteral(QUILLMERE_PROJECT_VERSION);
}

void init()
{
    if (started)
        return;
    QCoreApplication::setApplicationVersion(version());
    registerModelResources();
    Blending::initLookupTables();
    Cursor::initStaticCursors();
    // The action catalogue reads settings and connects to the tool manager, so
    // both come first.
    Settings::instance()->init();
    ToolManager::instance()->init();
    ActionManager::instance()->init();
    started = true;
}

void shutdown()
{
    started = false;
}

} // namespace Model
