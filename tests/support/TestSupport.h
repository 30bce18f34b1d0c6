#pragma once

#include <QApplication>
#include <QTest>

namespace TestSupport {

// Keeps a test away from the user's real settings store: Qt's test mode puts
// the store under ~/.qttest, and ctest gives each test its own HOME. Called
// before the application object exists.
void isolateSettings();

// Empties the settings store of this test process.
void clearSettings();

} // namespace TestSupport

// QTEST_MAIN with the settings isolated before anything can read them.
#define QUILLMERE_TEST_MAIN(TestObject)                                                          \
    int main(int argc, char** argv)                                                              \
    {                                                                                            \
        TestSupport::isolateSettings();                                                          \
        QApplication app(argc, argv);                                                            \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                 \
        TestObject tc;                                                                           \
        QTEST_SET_MAIN_SOURCE_PATH                                                               \
        return QTest::qExec(&tc, argc, argv);                                                    \
    }
