#pragma once

#include "SysLogger.h"

#include <QStringList>

// A log destination that keeps every line as "<level> <module>: <text>", for tests that check what was
// logged.
class CollectingLogger : public SysLogger
{
public:
    explicit CollectingLogger(QStringList *lines);

    // Hands the process-wide log a collecting logger and starts it at the most detailed level.
    static void collectProcessLog(QStringList *lines);

    bool open() override;
    bool write(const QDateTime &time, int level, const QString &module, const QString &text) override;
    void close() override;
    QString description() const override;

private:
    QStringList *m_lines;
};
