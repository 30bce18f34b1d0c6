#include "TestSupport.h"

#include <QCoreApplication>
#include <QSettings>
#include <QStandardPaths>

namespace TestSupport {

void isolateSettings()
{
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("Quillmere"));
    QCoreApplication::setApplicationName(QStringLiteral("Quillmere"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("quillmere.org"));
}

void clearSettings()
{
    QSettings settings;
    settings.clear();
    settings.sync();
}

} // namespace TestSupport
