#pragma once

#include <QString>

// Whether a folder the user chose can become the media folder: its path is short enough and a file can be
// created in it. No widget: the settings dialog shows the verdict.
class SaveFolderCheck
{
public:
    enum class Verdict {
        Accepted,
        // Nothing was chosen (the chooser was cancelled).
        NothingChosen,
        TooLong,
        WriteProtected,
    };

    // Paths of this many characters or more are refused: captures, recordings and time-lapse folders are
    // named below the folder, and the media store mirrors each of those paths under its own cache folder;
    // the limit leaves them room within the 260 characters a media library moved to another system may use.
    static constexpr int kMaxPathLength = 200;

    static Verdict check(const QString &folder);
    // The folder as the dialog's field shows it: absolute, ending in a separator, native separators.
    static QString fieldText(const QString &folder);
    // The field's text as it is stored: "/" separators.
    static QString storedPath(const QString &fieldText);

private:
    // Creates and removes a probe file of a name not yet taken in the folder.
    static bool canCreateFileIn(const QString &folder);
};
