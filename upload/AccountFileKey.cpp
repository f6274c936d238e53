#include "AccountFileKey.h"

#include <QDir>
#include <QFile>
#include <QNetworkInterface>

#include <linux/ethtool.h>
#include <linux/sockios.h>
#include <net/if.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstring>

namespace {

bool isUsableAddress(const QString &address)
{
    return !address.isEmpty() && address != QLatin1String("00:00:00:00:00:00");
}

QString formatAddress(const unsigned char *bytes, int size)
{
    QStringList parts;
    for (int i = 0; i < size; ++i)
        parts.append(QStringLiteral("%1").arg(bytes[i], 2, 16, QLatin1Char('0')).toUpper());
    return parts.join(QLatin1Char(':'));
}

// The burnt-in address the driver reports (ETHTOOL_GPERMADDR); empty when it has none or cannot say.
QString permanentAddressOf(const QString &interfaceName)
{
    const QByteArray name = interfaceName.toLocal8Bit();
    if (name.isEmpty() || name.size() >= IFNAMSIZ)
        return {};
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return {};
    // Room for the longest hardware address the kernel knows (MAX_ADDR_LEN) after the request's header.
    constexpr int kMaxAddressLength = 32;
    alignas(ethtool_perm_addr) unsigned char buffer[sizeof(ethtool_perm_addr) + kMaxAddressLength] = {};
    auto *request = reinterpret_cast<ethtool_perm_addr *>(buffer);
    request->cmd = ETHTOOL_GPERMADDR;
    request->size = kMaxAddressLength;
    ifreq ifr;
    std::memset(&ifr, 0, sizeof ifr);
    std::memcpy(ifr.ifr_name, name.constData(), static_cast<size_t>(name.size()));
    ifr.ifr_data = reinterpret_cast<char *>(request);
    const int result = ::ioctl(fd, SIOCETHTOOL, &ifr);
    ::close(fd);
    if (result != 0 || request->size == 0 || request->size > kMaxAddressLength)
        return {};
    const QString address = formatAddress(request->data, static_cast<int>(request->size));
    return isUsableAddress(address) ? address : QString();
}

} // namespace

QString AccountFileKey::userName()
{
    // The account the program runs as, not what the environment claims: a program started through su, sudo,
    // a service manager or a desktop session sees different variables, and the key would change with them.
    const passwd *entry = ::getpwuid(::getuid());
    if (entry && entry->pw_name && *entry->pw_name)
        return QString::fromLocal8Bit(entry->pw_name);
    // A user id without an entry (some containers): the login name the environment gives is all there is.
    for (const char *variable : {"USERNAME", "USER", "LOGNAME"}) {
        const QString value = qEnvironmentVariable(variable);
        if (!value.isEmpty())
            return value;
    }
    return {};
}

QList<AccountFileKey::Interface> AccountFileKey::systemInterfaces()
{
    QList<Interface> result;
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : interfaces) {
        Interface facts;
        facts.name = interface.name();
        facts.address = interface.hardwareAddress().toUpper();
        facts.isLoopback = interface.flags().testFlag(QNetworkInterface::IsLoopBack);
        QFile assignType(QStringLiteral("/sys/class/net/%1/addr_assign_type").arg(facts.name));
        if (assignType.open(QIODevice::ReadOnly))
            facts.assignType = assignType.readAll().trimmed().toInt();
        facts.permanentAddress = permanentAddressOf(facts.name);
        result.append(facts);
    }
    return result;
}

QString AccountFileKey::machineId()
{
    for (const char *path : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
        QFile file(QString::fromLatin1(path));
        if (file.open(QIODevice::ReadOnly)) {
            const QString id = QString::fromLatin1(file.readAll().trimmed());
            if (!id.isEmpty())
                return id;
        }
    }
    return {};
}

QString AccountFileKey::chosenAddress(const QList<Interface> &interfaces, const QString &machineId)
{
    for (const Interface &interface : interfaces) {
        if (interface.isLoopback || !isUsableAddress(interface.address))
            continue;
        if (interface.assignType == 0)
            return interface.address;
        if (isUsableAddress(interface.permanentAddress))
            return interface.permanentAddress;
    }
    return machineId;
}

QByteArray AccountFileKey::key(const QString &userName, const QString &address)
{
    return (userName + address).toLatin1();
}

QByteArray AccountFileKey::build()
{
    return key(userName(), chosenAddress(systemInterfaces(), machineId()));
}

QList<QByteArray> AccountFileKey::fallbackKeys()
{
    return fallbackKeys(userName(), systemInterfaces(), machineId());
}

QList<QByteArray> AccountFileKey::fallbackKeys(const QString &userName, const QList<Interface> &interfaces,
                                               const QString &machineId)
{
    const QByteArray current = key(userName, chosenAddress(interfaces, machineId));
    QList<QByteArray> keys;
    const auto add = [&](const QString &address) {
        const QByteArray candidate = key(userName, address);
        if (candidate != current && !keys.contains(candidate))
            keys.append(candidate);
    };
    for (const Interface &interface : interfaces) {
        if (interface.isLoopback)
            continue;
        if (isUsableAddress(interface.address))
            add(interface.address);
        if (isUsableAddress(interface.permanentAddress))
            add(interface.permanentAddress);
    }
    add(QString());
    add(machineId);
    return keys;
}
