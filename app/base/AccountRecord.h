#pragma once

#include <QString>

// One account of an upload service. An empty user name means there is no account.
struct AccountRecord
{
    // Kept by the upload library with the account; the program only carries it through.
    QString extra;
    QString userName;
    QString password;
};
