// Replays one fuzz target's seeds and every input that once found a fault through the target's own entry
// point, in the plain build: a reader that crashes, hangs or breaks a property on any of them fails here
// without clang or libFuzzer. The fuzz target's source is compiled into this program.
#include "TestEnvironment.h"

#include <QDirIterator>

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

QStringList filesIn(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.append(it.next());
    files.sort();
    return files;
}

} // namespace

class TestFuzzReplay : public QObject
{
    Q_OBJECT
private slots:
    void theTargetHasSeeds();
    void replay_data();
    void replay();
};

void TestFuzzReplay::theTargetHasSeeds()
{
    const QString corpus = TestEnvironment::inputPath("QUILLO_FUZZ_CORPUS");
    QVERIFY2(!filesIn(corpus).isEmpty(), qPrintable(corpus));
}

void TestFuzzReplay::replay_data()
{
    QTest::addColumn<QString>("path");
    for (const char *variable : {"QUILLO_FUZZ_CORPUS", "QUILLO_FUZZ_REGRESSIONS"}) {
        const QString folder = TestEnvironment::inputPath(variable);
        // Rows are named "corpus/<target>/<file>" or "regressions/<target>/<file>".
        const QDir base(folder + QStringLiteral("/../.."));
        for (const QString &path : filesIn(folder))
            QTest::newRow(qPrintable(base.relativeFilePath(path))) << path;
    }
}

void TestFuzzReplay::replay()
{
    QFETCH(QString, path);
    QFile file(path);
    QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(path));
    const QByteArray bytes = file.readAll();
    // Checks inside the target abort the program with their message; the row named above is the input.
    QCOMPARE(LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size())), 0);
}

QUILLO_TEST_MAIN(TestFuzzReplay)
#include "tst_FuzzReplay.moc"
