#pragma once

#include <QElapsedTimer>
#include <QObject>

class QWidget;

// Hooks that let a test or a benchmark drive a real start of the program through its environment:
//   QUILLO_ANSWER_MESSAGE_BOXES=1  every message box is answered with its default button at once, and its
//                                  text is printed on stdout as "message box: <text>";
//   QUILLO_STARTUP_PROBE=report    prints "window shown after <ms> ms" when the main window is first shown;
//   QUILLO_STARTUP_PROBE=quit      the same, then quits as if the user had closed the program.
// Without these variables nothing changes.
class StartupProbe : public QObject
{
    Q_OBJECT

public:
    // Call first thing in main, so that the time reported counts from there.
    static void markStart();
    static void answerMessageBoxesFromEnvironment();
    static void watch(QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    StartupProbe(bool quit, QObject *parent);

    bool m_quit;
    static QElapsedTimer s_sinceStart;
};
