#include "logging/Logging.h"

#include "logging/EventTracer.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QMutex>
#include <QStandardPaths>
#include <QWidget>

// Off until the logging rules switch it on (QT_LOGGING_RULES="app.focus.ulv.debug=true").
Q_LOGGING_CATEGORY(lcFocus, "app.focus.ulv", QtInfoMsg)

namespace Logging {

namespace {

struct HandlerState
{
    QBasicMutex mutex;
    QtMessageHandler previousHandler = nullptr;
};

HandlerState& state()
{
    static HandlerState s;
    return s;
}

bool isFileLogged(const char* category)
{
    return category && QByteArray(category).endsWith(".ulv");
}

void passOn(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (state().previousHandler)
        state().previousHandler(type, context, message);
}

} // namespace

void messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (!isFileLogged(context.category)) {
        passOn(type, context, message);
        return;
    }

    HandlerState& s = state();
    s.mutex.lock();
    QDir dir(logDirectory());
    if (!dir.mkpath(QStringLiteral("."))) {
        s.mutex.unlock();
        passOn(type, context, message);
        return;
    }
    // Each record replaces the file's contents: a category's file shows its
    // newest message, which is what one watches while reproducing a fault.
    QFile file(dir.absoluteFilePath(QString::fromUtf8(context.category)));
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        QByteArray header = QByteArray(context.file ? context.file : "") + ':'
                            + QByteArray::number(context.line) + '\n'
                            + QByteArray(context.function ? context.function : "") + "\n\n";
        file.write(header);
        file.write(message.toUtf8());
        file.close();
    }
    s.mutex.unlock();
}

QString logDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)
           + QStringLiteral("/logs");
}

void setupDebugging()
{
    HandlerState& s = state();
    s.previousHandler = qInstallMessageHandler(messageHandler);

    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) {
        QObject::connect(
            app, &QApplication::focusChanged, app,
            [](QWidget* old, QWidget* now) { qCDebug(lcFocus) << now << Qt::endl << old; },
            Qt::DirectConnection);
    }

    if (!qEnvironmentVariableIsEmpty("KW_TRACE_EVENTS")) {
        auto* tracer = new EventTracer(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(tracer);
    }
}

} // namespace Logging
