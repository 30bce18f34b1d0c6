#include "export/ExportFailure.h"

#include "prompts/Prompter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>

namespace Model {

void ExportFailure::report(QProgressDialog* progress, const QString& message)
{
    if (progress)
        progress->reset();
    Prompter::critical(nullptr, QCoreApplication::translate("Model::Scene", "Export failed"), message,
                       QMessageBox::Ok);
}

bool ExportFailure::reportMissingFolder(QProgressDialog* progress, const QString& folder)
{
    if (QFileInfo(folder).isDir())
        return false;
    report(progress, QCoreApplication::translate("Model::Scene", "The folder \"%1\" does not exist.")
                         .arg(QDir::toNativeSeparators(QDir(folder).absolutePath())));
    return true;
}

QString ExportFailure::withReason(const QString& message, const QString& reason)
{
    return reason.isEmpty() ? message : QStringLiteral("%1\n%2.").arg(message, reason);
}

} // namespace Model
