#include "logging/EventTracer.h"
#include "logging/Logging.h"

#include "TestSupport.h"

#include <QDir>
#include <QLoggingCategory>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QWidget>

Q_LOGGING_CATEGORY(lcSample, "test.sample.ulv")
Q_LOGGING_CATEGORY(lcPlain, "test.plain")

namespace {
QStringList g_passedOn;
void capture(QtMsgType, const QMessageLogContext&, const QString& message)
{
    g_passedOn << message;
}
} // namespace

class TestLogging : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_oldCwd;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QStandardPaths::setTestModeEnabled(true);
        QDir(Logging::logDirectory()).removeRecursively();
        m_oldCwd = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir.path()));
        qInstallMessageHandler(capture);
        // Set but empty: the same as unset.
        qputenv("KW_TRACE_EVENTS", "");
        Logging::setupDebugging();
        qunsetenv("KW_TRACE_EVENTS");
    }

    void emptyTraceVariableMakesNoTracer()
    {
        QVERIFY(QCoreApplication::instance()->findChildren<EventTracer*>().isEmpty());
    }

    void cleanupTestCase() { QDir::setCurrent(m_oldCwd); }

    void otherCategoriesGoToThePreviousHandlerAndMakeNoFolder()
    {
        g_passedOn.clear();
        qCWarning(lcPlain) << "plain message";
        qDebug("default message");
        QCOMPARE(g_passedOn, (QStringList{"plain message", "default message"}));
        QVERIFY(!QDir(m_dir.path()).exists("quillmere"));
    }

    void recordHoldsOnlyTheNewestMessage()
    {
        g_passedOn.clear();
        const int line = __LINE__ + 1;
        qCDebug(lcSample).noquote() << "first";
        qCWarning(lcSample).noquote() << "second";
        QVERIFY(g_passedOn.isEmpty());

        QFile file(QDir(Logging::logDirectory()).filePath("test.sample.ulv"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray expected = QByteArray(__FILE__) + ':' + QByteArray::number(line + 1) + '\n'
                                    + QByteArray(Q_FUNC_INFO) + "\n\nsecond";
        QCOMPARE(file.readAll(), expected);
    }

    // Focus changes are written only once the logging rules ask for them, and
    // never into the working folder.
    void focusChangesAreLoggedOnlyWhenSwitchedOn()
    {
        const QString record = QDir(Logging::logDirectory()).filePath("app.focus.ulv");
        QWidget a;
        QWidget b(&a);
        QWidget c(&a);
        b.setFocusPolicy(Qt::StrongFocus);
        c.setFocusPolicy(Qt::StrongFocus);
        a.show();
        a.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&a));
        b.setFocus();
        QTRY_VERIFY(b.hasFocus());
        QVERIFY(!QFile::exists(record));

        QLoggingCategory::setFilterRules(QStringLiteral("app.focus.ulv.debug=true"));
        c.setFocus();
        QTRY_VERIFY(QFile::exists(record));
        QLoggingCategory::setFilterRules(QString());
        QVERIFY(QDir(m_dir.path()).isEmpty());
    }

    // The program itself, started in an empty folder, leaves it empty.
    void programLeavesTheWorkingFolderEmpty()
    {
        QTemporaryDir cwd;
        QTemporaryDir outside;
        QVERIFY(cwd.isValid() && outside.isValid());
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QUILLMERE_SCREENSHOT"), outside.filePath("shot.png"));
        program.setProcessEnvironment(env);
        program.setWorkingDirectory(cwd.path());
        program.start(QStringLiteral(QUILLMERE_EXECUTABLE), {});
        QVERIFY(program.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(outside.filePath("shot.png")), 120000);
        program.terminate();
        if (!program.waitForFinished(10000)) {
            program.kill();
            program.waitForFinished();
        }
        QCOMPARE(QDir(cwd.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System
                                            | QDir::NoDotAndDotDot),
                 QStringList());
    }

    void traceVariable_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QList<int>>("types");
        QTest::newRow("numbers and a range") << QByteArray("12, 2-5,x") << QList<int>{12, 2, 3, 4, 5};
        QTest::newRow("reversed range") << QByteArray("5-3") << QList<int>{};
        QTest::newRow("duplicates kept") << QByteArray("1-2,2") << QList<int>{1, 2, 2};
        QTest::newRow("empty") << QByteArray("") << QList<int>{};
        QTest::newRow("huge range refused") << QByteArray("0-2000000000,7") << QList<int>{7};
        QTest::newRow("out of range number") << QByteArray("70000,-1,65535") << QList<int>{65535};
        QTest::newRow("three parts") << QByteArray("1-2-3") << QList<int>{};
    }

    void traceVariable()
    {
        QFETCH(QByteArray, value);
        QFETCH(QList<int>, types);
        QCOMPARE(EventTracer::parse(value), types);
    }

    void tracerPrintsTheWidgetChain()
    {
        qputenv("KW_TRACE_EVENTS", "1000");
        EventTracer tracer;
        qunsetenv("KW_TRACE_EVENTS");
        QCOMPARE(tracer.tracedTypes(), QList<int>{1000});

        QWidget top;
        top.setObjectName("top");
        QWidget middle(&top);
        QWidget leaf(&middle);
        QEvent traced(QEvent::Type(1000));
        QEvent other(QEvent::Type(1001));

        g_passedOn.clear();
        QVERIFY(!tracer.eventFilter(&leaf, &other));
        QVERIFY(g_passedOn.isEmpty());

        QObject plain;
        QVERIFY(!tracer.eventFilter(&plain, &traced));
        QCOMPARE(g_passedOn.size(), 1);

        g_passedOn.clear();
        QVERIFY(!tracer.eventFilter(&leaf, &traced));
        QCOMPARE(g_passedOn.size(), 4);
        QVERIFY(g_passedOn[1].startsWith("| QWidget"));
        QVERIFY(g_passedOn[1].contains("top"));
        QVERIFY(g_passedOn[2].startsWith("| `-QWidget"));
        QVERIFY(g_passedOn[3].startsWith("|   `-QWidget"));
    }
};

QUILLMERE_TEST_MAIN(TestLogging)
#include "tst_logging.moc"
