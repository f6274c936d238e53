#include "SysLogger.h"

SysLogger::~SysLogger() = default;
