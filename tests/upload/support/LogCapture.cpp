#include "LogCapture.h"

#include "LogSystem.h"
#include "SysLogger.h"

namespace {

class CollectingLogger : public SysLogger
{
public:
    explicit CollectingLogger(std::shared_ptr<QStringList> lines)
        : m_lines(std::move(lines))
    {
    }
    bool open() override { return true; }
    void write(const QDateTime &, int, const QString &module, const QString &text) override
    {
        m_lines->append(module + QStringLiteral(": ") + text);
    }
    void close() override {}
    QString description() const override { return QStringLiteral("test capture"); }

private:
    std::shared_ptr<QStringList> m_lines;
};

} // namespace

LogCapture::LogCapture()
    : m_lines(std::make_shared<QStringList>())
{
    LogSystem *log = LogSystem::getSysLogSystem();
    log->setLogger(new CollectingLogger(m_lines));
    log->setLogLevel(LogSystem::LOG_DEBUG);
    log->enableAllLog();
    if (!log->isStarted())
        log->startLog();
}

LogCapture::~LogCapture()
{
    LogSystem::getSysLogSystem()->setLogger(new CollectingLogger(std::make_shared<QStringList>()));
}

bool LogCapture::contains(const QString &text) const
{
    for (const QString &line : std::as_const(*m_lines)) {
        if (line.contains(text))
            return true;
    }
    return false;
}
