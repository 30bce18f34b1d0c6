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
    // The message with the system's reason on a line of its own, or the
    // message alone when there is no reason to give.
    static QString withReason(const QString& message, const QString& reason);
};

} // namespace Model
