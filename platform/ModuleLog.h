#pragma once

#include "LogSystem.h"

#include <atomic>

// The log of one source area: it registers the area's module name ("quillo/capture", ...) with the
// process-wide log on first use and logs under it. A registration refused once is not tried again and
// the area then logs nothing. Define one per area, once, in a header of the area (RecordingLog.h, ...)
// that the area's files include:
//     inline ModuleLog recordingLog("quillo/recording");
//     recordingLog(LogSystem::LOG_ERROR, "AviHandle - cannot create %s: %s", path, reason);
// The format is checked by the compiler against its arguments, as printf's is; pass QStrings through
// qUtf8Printable.
class ModuleLog
{
public:
    explicit constexpr ModuleLog(const char *moduleName)
        : m_name(moduleName)
    {
    }

    void operator()(LogSystem::LogLevel level, const char *format, ...) const __attribute__((format(printf, 3, 4)));

private:
    static constexpr int kNotRegistered = -2;

    const char *m_name;
    mutable std::atomic<int> m_module{kNotRegistered};
};
