#pragma once

#include <QApplication>
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

} // namespace TestSupport

// QTEST_MAIN with the settings isolated before anything can read them.
// The process ends without running static destructors: Qt's global sound
// engine is torn down there while the sound server's client thread may still
// be handling an event, which now and then aborts an otherwise passing test.
#define QUILLMERE_TEST_MAIN(TestObject)                                                          \
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
        }                                                                                        \
        std::fflush(nullptr);                                                                    \
        std::_Exit(result);                                                                      \
    }
