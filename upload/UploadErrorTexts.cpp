#include "UploadErrorTexts.h"

#include "UploadErrorCode.h"
#include "UploadServiceBit.h"

#include <QCoreApplication>

namespace {

struct Row
{
    int code;
    const char *text;
};

// The texts that the access-error box, the account dialog and the validation row share; each translates them
// in its own context, and the validation row wraps them in red first.
constexpr Row kSharedRows[] = {
    {SN_ERR_UNREACHABLE, "Social network is unreachable."},
    {SN_ERR_CANNOT_CONNECT, "Cannot connect to social network."},
    {SN_ERR_DISCONNECTED, "Social network disconnected."},
    {SN_ERR_TIMED_OUT, "Social network access timed out."},
    {SN_ERR_PROTOCOL, "Social network protocol error. Please contact us."},
    {SN_ERR_AUTHORIZATION, "Authorization failed."},
    {SN_ERR_TOO_OFTEN, "You are trying too often. Please try again later."},
    {SN_ERR_PRIVILEGE, "The linked account privilege is not enough!"},
    {SN_ERR_NOT_CONFIGURED, "This service is not set up in this build of Quillo."},
};

constexpr Row kManagerRows[] = {
    {SN_ERR_FILE_NOT_FOUND, "File does not exist."},
    {SN_ERR_FILE_TOO_LARGE, "File size is too large."},
    {SN_ERR_FILE_TOO_LONG, "File length is too long."},
    {SN_ERR_TOO_OFTEN, "<font color='red'>You are trying too often. Please try again later.</font>"},
    {SN_ERR_PRIVILEGE, "The linked account privilege is not enough!"},
};

template<std::size_t N>
const char *lookUp(const Row (&rows)[N], int code, const char *fallback)
{
    for (const Row &row : rows) {
        if (row.code == code)
            return row.text;
    }
    return fallback;
}

bool isRefusedCredentials(int code)
{
    return code == SN_ERR_CREDENTIALS_REFUSED || code == SN_ERR_CREDENTIALS_REFUSED_2;
}

QString translated(const char *context, const QByteArray &text)
{
    return QCoreApplication::translate(context, text.constData());
}

} // namespace

std::optional<QString> UploadErrorTexts::accessErrorBox(int code)
{
    if (code >= 0 || isRefusedCredentials(code))
        return std::nullopt;
    return translated("UploadIntf", lookUp(kSharedRows, code, "Social network unknown error!"));
}

QString UploadErrorTexts::accountDialog(int code, uint serviceBit, const QString &userName)
{
    const char *text = lookUp(kSharedRows, code, "Unknown error with Social network.");
    if (isRefusedCredentials(code)) {
        text = serviceBit == SERVICE_YOUTUBE && userName.contains(QLatin1Char('@'))
                   ? "Youtube access cannot user account with '@'!"
                   : "The user name or password is incorrect.";
    }
    return translated("AccountSettingDlg", text);
}

QString UploadErrorTexts::validationRow(int code)
{
    const char *text = lookUp(kSharedRows, code, "Unknown error with Social network.");
    if (isRefusedCredentials(code))
        text = "The user name or password is incorrect.";
    else if (code == SN_ERR_AT_IN_USER_NAME)
        text = "Youtube access cannot user account with '@'!";
    return translated("ValidationProcess", QByteArray("<font color='red'>") + text + "</font>");
}

std::optional<QString> UploadErrorTexts::managerRow(int code)
{
    if (code >= 0)
        return std::nullopt;
    if (code == SN_ERR_CANCELLED)
        return QString(QLatin1String(""));
    return translated("ScheduleItemView", lookUp(kManagerRows, code, "Upload failed!"));
}
