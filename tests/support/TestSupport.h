#pragma once

#include <QApplication>
#include <QImage>
#include <QTest>

#include <cstdio>
#include <cstdlib>

namespace TestSupport {

// Keeps a test away from the user's real settings store: Qt's test mode puts
// the store under ~/.qttest, and ctest gives each test its own HOME. Called
// before the application object exists.
void isolateSettings();

// Empties the settings store of this test process.
void clearSettings();

// How far the resident memory of this process rises above its level when
// the measurement starts: the kernel's high-water mark, restarted at the
// start. Pages count once touched, whatever the machine's load, and memory
// given back before the end still counts.
class PeakMemory
{
public:
    PeakMemory();
    // False where the kernel cannot restart the high-water mark, and in
    // builds with the address sanitizer.
    bool isAvailable() const { return m_start >= 0; }
    // Bytes above the level at the start.
    qint64 rise() const;

private:
    qint64 m_start = -1;
};

// The file's bytes; empty when it cannot be read.
QByteArray fileContents(QString const& path);

// An image of random pixels, alpha too: incompressible, so that an encoded file
// is about as large as its pixels. The same seed gives the same image.
QImage noise(QSize const& size, quint32 seed = 2463534242u);
// Runs the event loop until every event posted before the call has been
// delivered (the calls of zero timers started so far among them); false when
// that takes longer than the timeout. What a test expects not to happen
// after such events is then known not to have happened.
bool deliverPostedEvents(int timeoutMs = 30000);

// In builds with the address sanitizer, keeps the OpenGL drivers this process
// has loaded until it ends. Closing the window system connection unloads
// them, and the leak check that comes after would then find what a driver
// keeps for itself unreachable, with no library to name it by. Called while
// the application object still exists; does nothing in other builds.
void keepGraphicsDriversLoaded();

// In builds with the address sanitizer, checks for leaks now and ends the
// process with the sanitizer's failure status if there are any: a test that
// ends by std::_Exit never reaches the check made at exit. Does nothing in
// other builds.
void checkLeaks();

// While it lives, in builds with the address sanitizer, what this thread
// allocates is never reported as leaked: for what a library loses in a
// failure that a test provokes on purpose. Does nothing in other builds.
class LeaksIgnored
{
public:
    LeaksIgnored();
    ~LeaksIgnored();
    LeaksIgnored(LeaksIgnored const&) = delete;
    LeaksIgnored& operator=(LeaksIgnored const&) = delete;
};

} // namespace TestSupport

// QTEST_MAIN with the settings isolated before anything can read them.
// The process ends without running static destructors: Qt's global sound
// engine is torn down there while the sound server's client thread may still
// be handling an event, which now and then aborts an otherwise passing test.
// Leaks are looked for once the application object is gone.
#define QUILLMERE_TEST_MAIN(TestObject)                                                          \
    QUILLMERE_TEST_MAIN_THEN(TestObject, [](int result) { return result; })

// QUILLMERE_TEST_MAIN with a last say for what only shows once the
// application object is gone: afterApplication(status) returns the exit
// status, given Qt Test's.
#define QUILLMERE_TEST_MAIN_THEN(TestObject, afterApplication)                                   \
    int main(int argc, char** argv)                                                              \
    {                                                                                            \
        TestSupport::isolateSettings();                                                          \
        int result = 0;                                                                          \
        {                                                                                        \
            QApplication app(argc, argv);                                                        \
            app.setAttribute(Qt::AA_Use96Dpi, true);                                             \
            TestObject tc;                                                                       \
            QTEST_SET_MAIN_SOURCE_PATH                                                           \
            result = QTest::qExec(&tc, argc, argv);                                              \
            TestSupport::keepGraphicsDriversLoaded();                                            \
        }                                                                                        \
        result = (afterApplication)(result);                                                     \
        std::fflush(nullptr);                                                                    \
        TestSupport::checkLeaks();                                                               \
        std::_Exit(result);                                                                      \
    }
