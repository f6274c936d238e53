#include "BenchSupport.h"

#include <QFile>
#include <QList>
#include <QString>

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>

namespace BenchSupport {

QList<int> entryCounts(int argc, char *argv[])
{
    QList<int> counts;
    for (int i = 1; i < argc; ++i)
        counts.append(QString::fromLocal8Bit(argv[i]).toInt());
    if (counts.isEmpty())
        counts = {1000, 10000};
    return counts;
}

double processCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + now.tv_nsec / 1e9;
}

double otherCpuSeconds(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray line = stat.readAll();
    // The command name may hold spaces; the fields after it are counted from its closing parenthesis.
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    return (fields.value(11).toDouble() + fields.value(12).toDouble()) / double(sysconf(_SC_CLK_TCK));
}

QByteArray loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll().split(' ').mid(0, 3).join(' ');
}

pid_t spawn(std::vector<QByteArray> arguments, const QByteArray &output, const std::vector<QByteArray> &environment)
{
    std::vector<char *> argv;
    for (QByteArray &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        for (const QByteArray &variable : environment)
            putenv(const_cast<char *>(variable.constData()));
        const int out = open(output.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(out, STDOUT_FILENO);
        dup2(out, STDERR_FILENO);
        const int in = open("/dev/null", O_RDONLY);
        dup2(in, STDIN_FILENO);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return child;
}

double waitCpuSeconds(pid_t child, int *status)
{
    rusage usage{};
    wait4(child, status, 0, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

QByteArray startXServer(const QSize &screen, pid_t *pid)
{
    int ends[2];
    if (pipe(ends) != 0)
        return QByteArray();
    *pid = spawn({"Xvfb", "-displayfd", QByteArray::number(ends[1]), "-screen", "0",
                  QByteArray::number(screen.width()) + 'x' + QByteArray::number(screen.height()) + "x24", "-nolisten",
                  "tcp"});
    close(ends[1]);
    QByteArray number;
    char buffer[16];
    ssize_t got = 0;
    while (!number.endsWith('\n') && (got = read(ends[0], buffer, sizeof buffer)) > 0)
        number.append(buffer, got);
    close(ends[0]);
    number = number.trimmed();
    return number.isEmpty() ? QByteArray() : ':' + number;
}

} // namespace BenchSupport
