#pragma once

#include <QElapsedTimer>
#include <QObject>

class QTranslator;
class QWidget;

// Hooks that let a test or a benchmark drive a real start of the program through its environment:
//   QUILLO_ANSWER_MESSAGE_BOXES=1  the box of a second start ("Quillo is already running!") is not shown
//                                  but printed on stdout as "message box: <text>"; every other box of the
//                                  program shows as always, so the variable cannot answer a user's question;
//   QUILLO_STARTUP_PROBE=report    prints "translation: <file loaded, or none>" once the language is loaded,
//                                  and "window shown after <ms> ms" when the main window is first shown;
//   QUILLO_STARTUP_PROBE=quit      the same, then quits as if the user had closed the program;
//   QUILLO_STARTUP_PROBE=frame     the same as report, then prints "camera frame painted after <ms> ms" when a
//                                  camera view first paints a camera picture, and quits.
// Without these variables nothing changes.
class StartupProbe : public QObject
{
    Q_OBJECT

public:
    // Call first thing in main, so that the time reported counts from there.
    static void markStart();
    // True when the environment answers the second start's box, whose text this prints; the caller
    // then does not show it.
    static bool answerAlreadyRunningBox(const QString &text);
    static void reportTranslation(const QTranslator &translator);
    static void watch(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    StartupProbe(bool quit, QObject *parent);
    static bool enabled();
    static void report(const char *what);

    bool m_quit;
    static QElapsedTimer s_sinceStart;
};
