// Start-up to the first idle window, beside an empty Qt Widgets window with
// one OpenGL context (bench_startup_empty), each started as a process of its
// own, alternately, in the same run. Without arguments this program is the
// judge: it starts both kinds of process a number of times (7, or the first
// argument), times each from its start until it reports its window idle,
// and prints the medians and their ratio with the machine's load.
//
// With "--window" it is the program itself, started as main() starts it
// (application object, both libraries, the main window, the first scene),
// which reports once the window is on screen, its first scene open and its
// event loop through with what start-up queued. Both children get a fresh
// settings and data folder of their own; the first round is not counted,
// so that both find the disk cache and shader caches warm.
//
// Needs a display: DISPLAY=:91 LIBGL_ALWAYS_SOFTWARE=1 bench/bench_startup
#include "StartupIdle.h"

#include "application/Application.h"
#include "application/StartupScene.h"
#include "logging/Logging.h"
#include "mainwindow/MainWindow.h"
#include "settings/Settings.h"
#include "startup/Init.h"
#include "startup/UIInit.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

int runWindow(int argc, char** argv)
{
    QCoreApplication::setOrganizationName(QStringLiteral("Quillmere"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("quillmere.org"));
    QCoreApplication::setApplicationName(QStringLiteral("Quillmere"));
    Application app(argc, argv);
    Logging::setupDebugging();
    Model::init();
    UI::init();
    // A first start would open the tutorials over the window.
    Model::Settings::instance()->setShowVideoTutorialsOnStartup(false);
    MainWindow window;
    openStartupScene(&window, {QCoreApplication::applicationFilePath()});
    window.show();
    StartupIdle::reportWhenIdle(&window, [&window] { return window.quillmereScene() != nullptr; });
    return QApplication::exec();
}

// Milliseconds from the start of the program until it says it is idle; a
// negative number when it never does.
double timeToIdle(QString const& program, QStringList const& arguments,
                  QProcessEnvironment const& environment)
{
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer clock;
    clock.start();
    child.start(program, arguments);
    QByteArray output;
    double idle = -1.0;
    while (child.waitForReadyRead(60000)) {
        output += child.readAllStandardOutput();
        if (output.contains(StartupIdle::Word)) {
            idle = clock.nsecsElapsed() / 1e6;
            break;
        }
    }
    if (!child.waitForFinished(30000)) {
        child.kill();
        child.waitForFinished();
    }
    return idle;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

QString load()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unknown");
    return QString::fromLatin1(file.readAll().trimmed());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--window") == 0)
        return runWindow(argc, argv);

    QCoreApplication app(argc, argv);
    int const rounds = argc > 1 ? std::max(1, QByteArray(argv[1]).toInt()) : 7;
    QString const self = QCoreApplication::applicationFilePath();
    QString const empty = QFileInfo(self).dir().filePath(QStringLiteral("bench_startup_empty"));
    if (!QFileInfo(empty).isExecutable()) {
        std::fprintf(stderr, "%s is missing\n", qPrintable(empty));
        return 1;
    }
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (char const* name : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
        QString const folder = home.filePath(QString::fromLatin1(name));
        QDir().mkpath(folder);
        environment.insert(QString::fromLatin1(name), folder);
    }
    if (environment.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty())
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));

    std::printf("load before: %s\n", qPrintable(load()));
    std::vector<double> emptyTimes;
    std::vector<double> windowTimes;
    // A busy display server now and then refuses a connection: such a start
    // is tried again.
    auto const timed = [&environment](QString const& program, QStringList const& arguments) {
        double ms = -1.0;
        for (int attempt = 0; attempt < 3 && ms < 0; ++attempt)
            ms = timeToIdle(program, arguments, environment);
        return ms;
    };
    for (int round = 0; round <= rounds; ++round) {
        double const e = timed(empty, {});
        double const w = timed(self, {QStringLiteral("--window")});
        if (e < 0 || w < 0) {
            std::fprintf(stderr, "a child never became idle\n");
            return 1;
        }
        std::printf("  round %d: empty window %.0f ms, Quillmere %.0f ms%s\n", round, e, w,
                    round == 0 ? " (warm-up, not counted)" : "");
        std::fflush(stdout);
        if (round == 0)
            continue;
        emptyTimes.push_back(e);
        windowTimes.push_back(w);
    }
    double const e = median(emptyTimes);
    double const w = median(windowTimes);
    std::printf("start-up to the first idle window, median of %d: Quillmere %.0f ms, empty Qt "
                "window with one OpenGL context %.0f ms: %.2f x\n",
                rounds, w, e, w / e);
    std::printf("load after: %s\n", qPrintable(load()));
    return 0;
}
