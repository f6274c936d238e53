#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QtTest>

// Gives a test process its own HOME and XDG folders, so no test ever reads or writes the real user's files,
// and keeps every test headless. Must run before the application object exists; the QUILLO_TEST_MAIN
// macros do this.
class TestEnvironment
{
public:
    enum class Display {
        Offscreen, // the offscreen platform (the default)
        XServer,   // the X server the test script started (Xvfb); the test is skipped without one
        // An Xvfb of the test's own, so that it may move the pointer without disturbing the tests on the
        // shared display; its arguments (screen size, extensions left out) come from QUILLO_TEST_XVFB_ARGS.
        PrivateXServer,
    };

    // CTest reports a test that exits with this code as skipped.
    static constexpr int kSkipExitCode = 77;

    // Returns false when the test cannot run here (the reason is printed).
    static bool prepare(Display display = Display::Offscreen);
    static QString root();
    static QString home();
    // No test may open a browser or another program: every URL opened lands in openedUrls().
    static void catchOpenedUrls();
    static QList<QUrl> openedUrls();
    static void clearOpenedUrls();
};

#define QUILLO_TEST_MAIN_IMPL(TestObject, AppClass, Display)                                                   \
    int main(int argc, char *argv[])                                                                           \
    {                                                                                                          \
        if (!TestEnvironment::prepare(Display))                                                                \
            return TestEnvironment::kSkipExitCode;                                                             \
        AppClass app(argc, argv);                                                                              \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                               \
        TestEnvironment::catchOpenedUrls();                                                                    \
        TestObject tc;                                                                                         \
        QTEST_SET_MAIN_SOURCE_PATH                                                                             \
        return QTest::qExec(&tc, argc, argv);                                                                  \
    }

// A test with its own folders on the offscreen platform.
#define QUILLO_TEST_MAIN(TestObject) QUILLO_TEST_MAIN_IMPL(TestObject, QApplication, TestEnvironment::Display::Offscreen)
// The same with another application class (which takes argc and argv).
#define QUILLO_TEST_MAIN_APP(TestObject, AppClass)                                                             \
    QUILLO_TEST_MAIN_IMPL(TestObject, AppClass, TestEnvironment::Display::Offscreen)
// A test that needs a real X server.
#define QUILLO_TEST_MAIN_X11(TestObject) QUILLO_TEST_MAIN_IMPL(TestObject, QApplication, TestEnvironment::Display::XServer)
// A test on an X server of its own.
#define QUILLO_TEST_MAIN_PRIVATE_X11(TestObject)                                                              \
    QUILLO_TEST_MAIN_IMPL(TestObject, QApplication, TestEnvironment::Display::PrivateXServer)
