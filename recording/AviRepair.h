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
    // Finishes an unfinished recording where it lies, for a full disk that has no room for the copy a repair
    // writes: cuts a chunk left half-written at the end and fills in the sizes and lengths its headers
    // lack, so that it plays at once; it has no index. False (file left as it was) when its headers cannot
    // be read.
    static bool finishInPlace(const QString &fileName);
    // Repairs every unfinished ".avi" file directly in folder; returns how many were repaired.
    static int repairFolder(const QString &folder);
    // Whether the file holds nothing a repair could recover: empty, cut off inside its header, or an
    // unfinished AVI without one whole picture or sound chunk.
    static bool isUnrecoverable(const QString &fileName);
    // The name a recording with nothing recoverable is set aside under: "<name>.avi.unrecoverable", beside
    // it, where the user finds it and the library does not list it.
    static QString setAsideName(const QString &fileName);
    // Repairs the program's own unfinished recordings ("Quillo-<date>_<time>.avi" and their numbered
    // continuations) directly in folder that were last written before cutoff; returns how many. One with
    // nothing recoverable is set aside.
    static int repairRecordings(const QString &folder, const QDateTime &cutoff, const CancelCheck &cancelled = {});
};
