#pragma once

#include <QByteArray>
#include <QEvent>
#include <QList>
#include <QObject>
#include <QSize>

#include <sys/types.h>

#include <vector>

// What the benchmarks that compare Quillo with other programs share: an X server of their own, children
// that end with the benchmark, and CPU time read the same way for every process.
namespace BenchSupport {

// This process's CPU time so far (all its threads), in seconds.
double processCpuSeconds();
// User and system time of another running process so far, from /proc (in 10 ms ticks).
double otherCpuSeconds(pid_t pid);
// The three load averages, as /proc shows them.
QByteArray loadAverage();
// Starts a program that ends with this one, its output going to the given file; extra environment
// variables as "NAME=value".
pid_t spawn(std::vector<QByteArray> arguments, const QByteArray &output = "/dev/null",
            const std::vector<QByteArray> &environment = {});
// Waits for a child and returns its user and system time in seconds; status gets its wait status.
double waitCpuSeconds(pid_t child, int *status);
// The folder sizes named on the command line, or 1,000 and 10,000 entries when none is.
QList<int> entryCounts(int argc, char *argv[]);
// Starts Xvfb with one screen of the given size on a display it picks itself; returns the display's name
// (empty when it could not start) and the server's process.
QByteArray startXServer(const QSize &screen, pid_t *pid);

// Counts the paints of the widgets it is installed on.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return QObject::eventFilter(watched, event);
    }
};

} // namespace BenchSupport
