#pragma once

#include <QString>

class QTranslator;

// The log file's name pattern: the logger turns "YYMMDD" into the day and "9999" into a serial number.
inline constexpr char kLogFileNamePattern[] = "QuilloYYMMDD-9999.log";

// Loads the translation named by the setting "language" ("language/Lang_<value>") into translator and
// installs it. A first start writes "eng" and loads nothing.
void loadLanguage(QTranslator *translator);
// Deletes the log files in the log folder that are older than "logs/logFilesExpiryDate" days. Only files
// named as the logger names them are touched.
void removeExpiredLogs();
// The log folder from "logs/logFilesLocation", created when missing.
QString logFilesLocation();
// The log level from "logs/logLevel", default 5, written back.
int logLevelSetting();
