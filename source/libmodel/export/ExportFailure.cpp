#include "export/ExportFailure.h"

#include "prompts/Prompter.h"

#include <QCoreApplication>
#include <QProgressDialog>

namespace Model {

void ExportFailure::report(QProgressDialog* progress, const QString& message)
{
    if (progress)
        progress->reset();
    Prompter::critical(nullptr, QCoreApplication::translate("Model::Scene", "Export failed"), message,
                       QMessageBox::Ok);
}

} // namespace Model
