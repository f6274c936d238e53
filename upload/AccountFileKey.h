#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Builds the key of the account file from the user's login name and a network address of the machine, so
// that the same user on the same machine gets the same key after every start and every reboot.
//
// The address is that of the first interface, in the system's order, that is not loopback and has an
// address that is neither empty nor all zeros. An interface whose current address was not burnt in (made up
// at random, or set by software, as for privacy Wi-Fi and virtual interfaces) lends its permanent address
// instead, and is skipped when it has none. When no interface qualifies, the machine's id stands in.
class AccountFileKey
{
public:
    // What the key needs to know of one network interface.
    struct Interface
    {
        QString name;
        // The current address as "AA:BB:CC:DD:EE:FF".
        QString address;
        bool isLoopback = false;
        // The kernel's addr_assign_type: 0 the address is permanent; anything else it was made or set.
        int assignType = 0;
        // The burnt-in address; empty when the device has none.
        QString permanentAddress;
    };

    // The key from this system's user, interfaces and machine id.
    static QByteArray build();
    // Keys under which an existing account file may have been written on this machine: with each other
    // interface's address, by the plain rule (the first usable current address, made-up ones included), and
    // without an address.
    static QList<QByteArray> fallbackKeys();

    // The login name of the user the program runs as (the password database); USERNAME, USER or LOGNAME only
    // when the database has no entry for the user.
    static QString userName();
    static QList<Interface> systemInterfaces();
    static QString machineId();

    // Pure parts, for tests.
    static QString chosenAddress(const QList<Interface> &interfaces, const QString &machineId);
    static QByteArray key(const QString &userName, const QString &address);
    static QList<QByteArray> fallbackKeys(const QString &userName, const QList<Interface> &interfaces,
                                          const QString &machineId);
};
