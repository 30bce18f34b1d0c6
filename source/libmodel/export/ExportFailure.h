#pragma once

#include <QString>

class QProgressDialog;

namespace Model {

// The one way every export (frames, movie, GIF, exposure sheet) tells the user
// that it failed: the progress dialog is reset first, then a critical box
// titled "Export failed" with the message and a single OK button.
class ExportFailure
{
public:
    static void report(QProgressDialog* progress, const QString& message);
    // An export goes into a folder the user chose; when it is gone (or was
    // typed wrong) that is what the user is told, and true is returned.
    static bool reportMissingFolder(QProgressDialog* progress, const QString& folder);
};

} // namespace Model
