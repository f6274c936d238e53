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
    enum class Mounts {
        Shared,  // the host's mounts (the default)
        Private, // a mount namespace of the process's own, for PrivateMount
    };

    // CTest reports a test that exits with this code as skipped.
    static constexpr int kSkipExitCode = 77;

    // Returns false when the test cannot run here (the reason is printed). A private mount namespace that cannot
    // be made does not stop the test: PrivateMount skips the functions that need it, with the reason.
    static bool prepare(Display display = Display::Offscreen, Mounts mounts = Mounts::Shared);
    static QString root();
    static QString home();
    // No test may open a browser or another program: every URL opened lands in openedUrls().
    static void catchOpenedUrls();
    static QList<QUrl> openedUrls();
    static void clearOpenedUrls();
    // A file or folder of the build or source tree that CMake names for the test in its environment. Paths are
    // given there rather than compiled in, so that a test's object is the same wherever the tree lies and the
    // compiler cache serves a clean clone at another path. Ends the test when the variable is not set.
    static QString inputPath(const char *variable);
};

#define QUILLO_TEST_MAIN_IMPL(TestObject, AppClass, Display, Mounts)                                                   \
    int main(int argc, char *argv[])                                                                                   \
    {                                                                                                                  \
        if (!TestEnvironment::prepare(Display, Mounts))                                                                \
            return TestEnvironment::kSkipExitCode;                                                                     \
        AppClass app(argc, argv);                                                                                      \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                       \
        TestEnvironment::catchOpenedUrls();                                                                            \
        TestObject tc;                                                                                                 \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&tc, argc, argv);                                                                          \
    }

// A test with its own folders on the offscreen platform.
#define QUILLO_TEST_MAIN(TestObject)                                                                                   \
    QUILLO_TEST_MAIN_IMPL(TestObject, QApplication, TestEnvironment::Display::Offscreen,                               \
                          TestEnvironment::Mounts::Shared)
// The same with another application class (which takes argc and argv).
#define QUILLO_TEST_MAIN_APP(TestObject, AppClass)                                                                     \
    QUILLO_TEST_MAIN_IMPL(TestObject, AppClass, TestEnvironment::Display::Offscreen, TestEnvironment::Mounts::Shared)
// A test that needs a real X server.
#define QUILLO_TEST_MAIN_X11(TestObject)                                                                               \
    QUILLO_TEST_MAIN_IMPL(TestObject, QApplication, TestEnvironment::Display::XServer, TestEnvironment::Mounts::Shared)
// A test on an X server of its own.
#define QUILLO_TEST_MAIN_PRIVATE_X11(TestObject)                                                                       \
    QUILLO_TEST_MAIN_IMPL(TestObject, QApplication, TestEnvironment::Display::PrivateXServer,                          \
                          TestEnvironment::Mounts::Shared)
// A test on the offscreen platform that mounts small disks or read-only folders (PrivateMount).
#define QUILLO_TEST_MAIN_PRIVATE_MOUNTS(TestObject)                                                                    \
    QUILLO_TEST_MAIN_IMPL(TestObject, QApplication, TestEnvironment::Display::Offscreen,                               \
                          TestEnvironment::Mounts::Private)
