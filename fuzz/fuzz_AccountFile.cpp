// The account file as it is read at start. The first byte says how the rest reaches the disk: as the
// deciphered content enciphered under this machine's key, as the same under a fallback key (an older
// interface's), or as the file's raw bytes whatever cipher they were written with. Whatever it holds, the
// store reads it or refuses it without crashing: a file it reads gives exactly the entries the format says
// it holds, and a fallback key's file is written again under the key with those same entries; a file it
// refuses is moved aside byte for byte and nothing of it is lost. What the writer writes reads back equal:
// the entries read, and entries made of the input's texts, survive the file.
#include "FuzzSupport.h"
#include "RC4SimpleSNAccountFileStore.h"
#include "Rc4.h"
#include "SNAccountFileFormat.h"

#include <QDir>
#include <QFile>

namespace {

const QByteArray kKey = QByteArrayLiteral("teacherAA:BB:CC:DD:EE:FF");
const QByteArray kFallbackKey = QByteArrayLiteral("teacher11:22:33:44:55:66");

enum Mode { MODE_PLAIN_UNDER_KEY, MODE_PLAIN_UNDER_FALLBACK, MODE_RAW, MODE_COUNT };

QString freshPath()
{
    QDir folder(FuzzSupport::scratchFolder() + QStringLiteral("/accounts"));
    folder.removeRecursively();
    QDir().mkpath(folder.path());
    return folder.filePath(QStringLiteral("SNAccountFile.dat"));
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A store that can be written to from outside, as the account dialogs do through its public calls.
class Store : public RC4SimpleSNAccountFileStore
{
public:
    using RC4SimpleSNAccountFileStore::RC4SimpleSNAccountFileStore;
    void write(const QList<SNAccountEntry> &entries)
    {
        setEntries(entries);
        save();
    }
};

void readFile(Mode mode, const QByteArray &payload)
{
    const QString path = freshPath();
    QByteArray onDisk = payload;
    if (mode == MODE_PLAIN_UNDER_KEY)
        onDisk = Rc4::transform(kKey, payload);
    else if (mode == MODE_PLAIN_UNDER_FALLBACK)
        onDisk = Rc4::transform(kFallbackKey, payload);
    FuzzSupport::writeScratchFile(QStringLiteral("accounts/SNAccountFile.dat"), onDisk);

    // What the format says the file holds, under whichever key opens it.
    SNAccountFileFormat::Decoded expected = SNAccountFileFormat::decode(Rc4::transform(kKey, onDisk));
    if (!expected.recognised)
        expected = SNAccountFileFormat::decode(Rc4::transform(kFallbackKey, onDisk));

    Store store(path, kKey);
    store.setFallbackKeys({kFallbackKey});
    const bool read = store.load();
    const bool readable = expected.recognised && expected.complete;
    FUZZ_CHECK(read == readable, "load() said %d for a file the format %s", int(read),
               readable ? "reads whole" : "refuses");
    FUZZ_CHECK(store.entries() == expected.entries, "the store holds %lld entries, the file %lld",
               static_cast<long long>(store.entries().size()), static_cast<long long>(expected.entries.size()));
    if (readable) {
        // Read under the fallback key, it is written again under the key; either way it reads back equal.
        const SNAccountFileFormat::Decoded again = SNAccountFileFormat::decode(Rc4::transform(kKey, fileBytes(path)));
        FUZZ_CHECK(again.recognised && again.complete && again.entries == expected.entries,
                   "the file no longer reads under the key after it was loaded");
        return;
    }
    FUZZ_CHECK(!QFile::exists(path), "a refused account file was left where it would be written over");
    FUZZ_CHECK(fileBytes(path + QStringLiteral(".unreadable")) == onDisk,
               "the refused account file was not kept as it was");
}

void writeBack(const QByteArray &payload)
{
    // Whatever the format can read, it writes back the same.
    const SNAccountFileFormat::Decoded decoded = SNAccountFileFormat::decode(payload);
    if (decoded.recognised) {
        const SNAccountFileFormat::Decoded again =
            SNAccountFileFormat::decode(SNAccountFileFormat::encode(decoded.entries));
        FUZZ_CHECK(again.recognised && again.complete && again.entries == decoded.entries,
                   "entries read from a file did not survive being written and read again");
    }

    // Entries made of the input's texts (separated by NUL): service, extra, user, password, then names and
    // values of the params, through the store's own writing and reading.
    const QList<QByteArray> parts = payload.split('\0');
    const auto part = [&parts](qsizetype i) { return i < parts.size() ? QString::fromUtf8(parts.at(i)) : QString(); };
    SNAccountEntry entry;
    entry.service = part(0);
    entry.extra = part(1);
    entry.userName = part(2);
    entry.password = part(3);
    entry.kind = parts.size() % 2 ? SNAccountEntry::KIND_ACCOUNT : SNAccountEntry::KIND_PENDING_GRANT;
    for (qsizetype i = 4; i + 1 < parts.size(); i += 2)
        entry.params.insert(part(i), part(i + 1));
    const QList<SNAccountEntry> entries{entry, SNAccountEntry{}};

    const QString path = freshPath();
    Store writer(path, kKey);
    writer.write(entries);
    Store reader(path, kKey);
    FUZZ_CHECK(reader.load(), "the store did not read the file it wrote");
    FUZZ_CHECK(reader.entries() == entries, "entries changed on the way through the file");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const Mode mode = static_cast<Mode>(data[0] % MODE_COUNT);
    const QByteArray payload = FuzzSupport::bytesOf(data + 1, size - 1);
    readFile(mode, payload);
    writeBack(payload);
    return 0;
}
