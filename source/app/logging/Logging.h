#pragma once

#include <QtGlobal>

class QLoggingCategory;
class QMessageLogContext;
class QString;

// Diagnostics: messages of logging categories whose name ends in ".ulv" are
// written, one file per category, into "quillmere" under the current folder;
// every other message goes to the handler that was installed before.
namespace Logging {

// Installs the message handler and category filter, logs focus changes to
// "app.focus.ulv" and, when KW_TRACE_EVENTS is set, traces events. Needs the
// application object.
void setupDebugging();

void messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message);
void categoryFilter(QLoggingCategory* category);

} // namespace Logging
