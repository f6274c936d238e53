#pragma once

#include <QString>
#include <QStringList>

#include <memory>

// Collects every line of the process-wide log from now on (all levels), for tests that check what is
// logged, and what never is.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();

    QStringList lines() const { return *m_lines; }
    bool contains(const QString &text) const;

private:
    std::shared_ptr<QStringList> m_lines;
};
