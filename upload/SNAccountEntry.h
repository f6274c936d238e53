#pragma once

#include <QMap>
#include <QString>

// One row of the upload library's account store: a service's stored account, or a grant received for a
// label that no stored account carries yet (it becomes the account's grant when the account is stored
// under that label). params holds the grant ("grant.*"), what the service said about the account
// ("account.*") and what a service keeps for it (an album, a page).
struct SNAccountEntry
{
    enum Kind : quint8 { KIND_ACCOUNT = 0, KIND_PENDING_GRANT = 1 };

    QString service;
    QString extra;
    QString userName;
    QString password;
    Kind kind = KIND_ACCOUNT;
    QMap<QString, QString> params;

    friend bool operator==(const SNAccountEntry &, const SNAccountEntry &) = default;
};
