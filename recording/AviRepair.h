#pragma once

#include <QDateTime>
#include <QString>

// Makes recordings that were cut off (killed program, power loss) whole again: such a file has no index
// and its header says it is empty, and after the first gigabyte most players see only its finished part.
class AviRepair
{
public:
    // True when a RIFF list of the file was never finished.
    static bool isUnfinished(const QString &fileName);
    // Rewrites the file in place with the frames, gaps, codec tag and sound it holds. False (file left as
    // it was) when nothing could be read.
    static bool repair(const QString &fileName);
    // Repairs every unfinished ".avi" file directly in folder; returns how many were repaired.
    static int repairFolder(const QString &folder);
    // Repairs the program's own unfinished recordings ("Quillo-<date>_<time>.avi" and their numbered
    // continuations) directly in folder that were last written before cutoff; returns how many.
    static int repairRecordings(const QString &folder, const QDateTime &cutoff);
};
