#pragma once

#include <QtGlobal>

class QMessageLogContext;
class QString;

// Diagnostics: messages of logging categories whose name ends in ".ulv" are
// written, one file per category, into the folder logDirectory() names; every
// other message goes to the handler that was installed before. The program's
// own such category, "app.focus.ulv", stays silent until the logging rules
// switch its debug output on, so that an ordinary start writes no file.
namespace Logging {

// Installs the message handler, logs focus changes to "app.focus.ulv" and,
// when KW_TRACE_EVENTS is set, traces events. Needs the application object.
void setupDebugging();

void messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message);

// "logs" in the user's application data folder, never the working folder.
QString logDirectory();

} // namespace Logging
