#pragma once

#include <QString>

#include <optional>

// The four places that turn an UploadErrorCode into a text for the user, each with its own table and
// translated in the context of the class that shows it ("UploadIntf", "AccountSettingDlg",
// "ValidationProcess", "ScheduleItemView"). A code with no row of its own gets the table's default.
class UploadErrorTexts
{
public:
    // The upload service's access-error box. No box (nullopt) for a code of zero or more, and for a refused
    // user name or password, on which the service opens the account dialog instead.
    static std::optional<QString> accessErrorBox(int code);
    // The account dialog's error label. A refused user name or password reads as the "@" text when the
    // dialog is for the video-sharing service and the user name typed holds "@".
    static QString accountDialog(int code, uint serviceBit, const QString &userName);
    // The per-service row of the account validation, in red.
    static QString validationRow(int code);
    // The upload manager's row. nullopt leaves the row as it is (a code of zero or more); a cancelled job
    // empties it.
    static std::optional<QString> managerRow(int code);
};
