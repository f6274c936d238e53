#include "MoveFileDialog.h"

#include "BrowserLog.h"
#include "MediaFileStore.h"
#include "MessageBoxes.h"
#include "ui_MoveFileDialog.h"

#include <QDir>
#include <QTimer>

#include <cmath>

namespace {

// Where a path lies: the name of its folder, or for a file straight in a root that root without slashes.
QString place(const QFileInfo &info)
{
    const QDir folder = info.absoluteDir();
    if (folder.isRoot())
        return folder.absolutePath().remove(QLatin1Char('/'));
    return folder.dirName();
}

QString cut(const QString &text)
{
    // Parts longer than 50 characters keep 47 and end in three dots.
    return text.size() > 50 ? text.left(47) + QStringLiteral("...") : text;
}

} // namespace

MoveFileDialog::MoveFileDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint)
    , ui(std::make_unique<Ui::MoveFileDialog>())
{
    ui->setupUi(this);
    ui->progressBar->reset();
    ui->statusLabel->setText(QString());
}

MoveFileDialog::~MoveFileDialog() = default;

bool MoveFileDialog::start(const QString &source, const QString &destination, int mode)
{
    completed = false;
    if (destination.size() > kMaxPathLength) {
        MessageBoxes::warning(this, tr("Error"), tr("Path is invalid"));
        return false;
    }
    sourceFile.setFileName(source);
    if (!sourceFile.open(QIODevice::ReadOnly)) {
        MessageBoxes::warning(this, tr("File error"), tr("Open file failed"));
        return false;
    }
    if (MediaFileStore::isSameFile(source, destination)) {
        sourceFile.close();
        completed = true;
        return true;
    }
    destinationFile.setFileName(destination);
    // Not reported here: the first slice finds the destination closed and fails with the reason.
    destinationFile.open(QIODevice::WriteOnly);
    sourceInfo.setFile(source);
    destinationInfo.setFile(destination);
    m_sourceSize = sourceFile.size();
    m_copied = 0;
    m_chunkSize = qBound<qint64>(1, qint64(std::ceil(double(m_sourceSize) / 100.0)), kMaxChunkBytes);
    this->mode = mode;
    setupTexts();
    startStreams();
    exec();
    return completed;
}

void MoveFileDialog::setupTexts()
{
    ui->progressBar->reset();
    ui->progressBar->setRange(0, 100);
    setWindowTitle((mode == ModeMove ? tr("Move ") : tr("Copy ")) + tr("file..."));
    ui->statusLabel->setText(statusText().replace(QLatin1Char('/'), QDir::separator()));
}

QString MoveFileDialog::statusText() const
{
    const QString from = cut(QStringLiteral("%1/%2").arg(place(sourceInfo), sourceInfo.fileName()));
    const QString to = cut(QStringLiteral("To %1/%2").arg(place(destinationInfo), destinationInfo.fileName()));
    return tr("From ") + from + QLatin1Char('\n') + to;
}

void MoveFileDialog::startStreams()
{
    QTimer::singleShot(m_stepIntervalMs, this, &MoveFileDialog::moveNext);
}

void MoveFileDialog::moveNext()
{
    // A slice still armed when the window was closed finds nothing more to do.
    if (!isVisible())
        return;
    if (!destinationFile.isOpen())
        return fail(destinationFile.errorString());
    QByteArray chunk(m_chunkSize, Qt::Uninitialized);
    const qint64 read = sourceFile.read(chunk.data(), m_chunkSize);
    if (read < 0)
        return fail(sourceFile.errorString());
    if (read == 0) {
        ui->progressBar->setValue(100);
        return finish();
    }
    if (destinationFile.write(chunk.constData(), read) != read)
        return fail(destinationFile.errorString());
    m_copied += read;
    ui->progressBar->setValue(int(qMin<qint64>(99, m_copied * 100 / qMax<qint64>(1, m_sourceSize))));
    ui->progressBar->update();
    QTimer::singleShot(m_stepIntervalMs, this, &MoveFileDialog::moveNext);
}

void MoveFileDialog::finish()
{
    // The copy must be whole and on disk under its real name before a move may remove the source.
    // QSaveFile::commit does not report every failed flush, so flush first.
    if (!destinationFile.flush() || destinationFile.size() != m_copied)
        return fail(destinationFile.errorString());
    if (!destinationFile.commit())
        return fail(destinationFile.errorString());
    completed = true;
    if (mode == ModeMove && !sourceFile.remove())
        browserLog(LogSystem::LOG_WARNING, "MoveFileDialog - copied but cannot remove %s: %s",
                   qUtf8Printable(sourceInfo.filePath()), qUtf8Printable(sourceFile.errorString()));
    MessageBoxes::exec({this, tr("Information"), QMessageBox::Information, tr("Completed")});
    done(1);
}

void MoveFileDialog::fail(const QString &reason)
{
    MessageBoxes::warning(this, tr("Error"), mode == ModeMove ? tr("Move Copy file failed") : tr("Copy file failed"),
                          reason);
    done(-1);
}

void MoveFileDialog::done(int result)
{
    // Closing early drops the temporary copy; the destination keeps what it held before.
    if (!completed && destinationFile.isOpen()) {
        destinationFile.cancelWriting();
        // A cancelled commit removes the temporary file at once, not only when the dialog goes.
        destinationFile.commit();
    }
    QDialog::done(result);
}
