#include "Rc4.h"

#include <array>
#include <utility>

QByteArray Rc4::transform(const QByteArray &key, const QByteArray &data)
{
    const QByteArray usedKey = key.isEmpty() ? QByteArrayLiteral("Quillo") : key.left(256);
    std::array<quint8, 256> state;
    for (int i = 0; i < 256; ++i)
        state[i] = static_cast<quint8>(i);
    quint8 j = 0;
    for (int i = 0; i < 256; ++i) {
        j = static_cast<quint8>(j + state[i] + static_cast<quint8>(usedKey[i % usedKey.size()]));
        std::swap(state[i], state[j]);
    }
    QByteArray out(data.size(), Qt::Uninitialized);
    quint8 i = 0;
    j = 0;
    for (qsizetype n = 0; n < data.size(); ++n) {
        i = static_cast<quint8>(i + 1);
        j = static_cast<quint8>(j + state[i]);
        std::swap(state[i], state[j]);
        const quint8 k = state[static_cast<quint8>(state[i] + state[j])];
        out[n] = static_cast<char>(static_cast<quint8>(data[n]) ^ k);
    }
    return out;
}
