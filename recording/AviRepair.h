#pragma once

#include <QDateTime>
#include <QString>

#include <functional>

// Makes recordings that were cut off (killed program, power loss) whole again: such a file has no index
// and its header says it is empty, and after the first gigabyte most players see only its finished part.
class AviRepair
{
public:
    // Asked now and then during a repair, from the repairing thread: true ends the repair early, and the
    // file is left as it was.
    using CancelCheck = std::function<bool()>;

    // True when the file begins as an AVI and one of its RIFF lists was never finished. Anything else (a
    // finished recording, a file of another kind that only bears the name) is not touched.
    static bool isUnfinished(const QString &fileName);
    // Rewrites the file in place with the frames, gaps, codec tag and sound it holds. False (file left as
    // it was) when nothing could be read, when the read stopped before the end of the file, or when
    // cancelled.
    static bool repair(const QString &fileName, const CancelCheck &cancelled = {});
    // Repairs every unfinished ".avi" file directly in folder; returns how many were repaired.
    static int repairFolder(const QString &folder);
    // Repairs the program's own unfinished recordings ("Quillo-<date>_<time>.avi" and their numbered
    // continuations) directly in folder that were last written before cutoff; returns how many.
    static int repairRecordings(const QString &folder, const QDateTime &cutoff, const CancelCheck &cancelled = {});
};
