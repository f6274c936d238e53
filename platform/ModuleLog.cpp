#include "ModuleLog.h"

#include <cstdarg>

void ModuleLog::operator()(LogSystem::LogLevel level, const char *format, ...) const
{
    LogSystem *log = LogSystem::getSysLogSystem();
    int module = m_module.load(std::memory_order_relaxed);
    if (module == kNotRegistered) {
        module = log->registerLoggedModule(QString::fromUtf8(m_name));
        m_module.store(module, std::memory_order_relaxed);
    }
    if (module < 0)
        return;
    va_list args;
    va_start(args, format);
    log->log(module, level, format, args);
    va_end(args);
}
