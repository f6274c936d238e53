#pragma once

// The results of the upload library: zero or more is success, a negative value is one of these codes
// (written as 32-bit hexadecimal values; read as a signed int every one is negative). Any other negative
// value is an unknown error.
enum UploadErrorCode : int {
    SN_ERR_CREDENTIALS_REFUSED = static_cast<int>(0xE0000010u),
    // Answer of replaceAccount on which the caller changes only the stored account's password.
    SN_ERR_SET_PASSWORD_ONLY = static_cast<int>(0xE0000011u),
    // Made by the program itself when a video-sharing user name holds "@".
    SN_ERR_AT_IN_USER_NAME = static_cast<int>(0xE0000013u),
    SN_ERR_FILE_NOT_FOUND = static_cast<int>(0xE0010200u),
    SN_ERR_FILE_TOO_LARGE = static_cast<int>(0xE0010201u),
    SN_ERR_FILE_TOO_LONG = static_cast<int>(0xE0010202u),
    SN_ERR_UNREACHABLE = static_cast<int>(0xE0020001u),
    SN_ERR_CANNOT_CONNECT = static_cast<int>(0xE0020002u),
    SN_ERR_DISCONNECTED = static_cast<int>(0xE0020003u),
    SN_ERR_TIMED_OUT = static_cast<int>(0xE0020004u),
    SN_ERR_PROTOCOL = static_cast<int>(0xE0030000u),
    // The second form of a refused user name or password; treated exactly like the first everywhere.
    SN_ERR_CREDENTIALS_REFUSED_2 = static_cast<int>(0xE0030002u),
    // The program holds no grant from the account.
    SN_ERR_AUTHORIZATION = static_cast<int>(0xE0030003u),
    SN_ERR_TOO_OFTEN = static_cast<int>(0xE0030004u),
    SN_ERR_PRIVILEGE = static_cast<int>(0xE0030006u),
    SN_ERR_CANCELLED = static_cast<int>(0xE0040000u),
    // The service has no call for what was asked (the photo service deletes nothing an app put there).
    SN_ERR_NOT_SUPPORTED = static_cast<int>(0xE0050001u),
    // This build has no client id (or other build option) for the service, so it cannot talk to it.
    SN_ERR_NOT_CONFIGURED = static_cast<int>(0xE0050002u),
};
