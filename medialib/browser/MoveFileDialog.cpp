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
    m_completed = false;
    if (destination.size() > kMaxPathLength) {
        MessageBoxes::warning(this, tr("Error"), tr("Path is invalid"));
        return false;
    }
    m_sourceFile.setFileName(source);
    if (!m_sourceFile.open(QIODevice::ReadOnly)) {
        MessageBoxes::warning(this, tr("File error"), tr("Open file failed"));
        return false;
    }
    if (MediaFileStore::isSameFile(source, destination)) {
        m_sourceFile.close();
        m_completed = true;
        return true;
    }
    m_destinationFile.setFileName(destination);
    // Not reported here: the first slice finds the destination closed and fails with the reason.
    m_destinationFile.open(QIODevice::WriteOnly);
    m_sourceInfo.setFile(source);
    m_destinationInfo.setFile(destination);
    m_sourceSize = m_sourceFile.size();
    m_copied = 0;
    m_chunkSize = qBound<qint64>(1, qint64(std::ceil(double(m_sourceSize) / 100.0)), kMaxChunkBytes);
    m_mode = mode;
    setupTexts();
    startStreams();
    exec();
    return m_completed;
}

void MoveFileDialog::setupTexts()
{
    ui->progressBar->reset();
    ui->progressBar->setRange(0, 100);
    setWindowTitle((m_mode == ModeMove ? tr("Move ") : tr("Copy ")) + tr("file..."));
    ui->statusLabel->setText(statusText().replace(QLatin1Char('/'), QDir::separator()));
}

QString MoveFileDialog::statusText() const
{
    const QString from = cut(QStringLiteral("%1/%2").arg(place(m_sourceInfo), m_sourceInfo.fileName()));
    const QString to = cut(QStringLiteral("To %1/%2").arg(place(m_destinationInfo), m_destinationInfo.fileName()));
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
    if (!m_destinationFile.isOpen())
        return fail(m_destinationFile.errorString());
    QByteArray chunk(m_chunkSize, Qt::Uninitialized);
    const qint64 read = m_sourceFile.read(chunk.data(), m_chunkSize);
    if (read < 0)
        return fail(m_sourceFile.errorString());
    if (read == 0) {
        ui->progressBar->setValue(100);
        return finish();
    }
    if (m_destinationFile.write(chunk.constData(), read) != read)
        return fail(m_destinationFile.errorString());
    m_copied += read;
    ui->progressBar->setValue(int(qMin<qint64>(99, m_copied * 100 / qMax<qint64>(1, m_sourceSize))));
    ui->progressBar->update();
    QTimer::singleShot(m_stepIntervalMs, this, &MoveFileDialog::moveNext);
}

void MoveFileDialog::finish()
{
    // The copy must be whole and on disk under its real name before a move may remove the source.
    // QSaveFile::commit does not report every failed flush, so flush first.
    if (!m_destinationFile.flush() || m_destinationFile.size() != m_copied)
        return fail(m_destinationFile.errorString());
    if (!m_destinationFile.commit())
        return fail(m_destinationFile.errorString());
    m_completed = true;
    if (m_mode == ModeMove && !m_sourceFile.remove())
        browserLog(LogSystem::LOG_WARNING, "MoveFileDialog - copied but cannot remove %s: %s",
                   qUtf8Printable(m_sourceInfo.filePath()), qUtf8Printable(m_sourceFile.errorString()));
    MessageBoxes::Request box;
    box.parent = this;
    box.title = tr("Information");
    box.icon = QMessageBox::Information;
    box.text = tr("Completed");
    MessageBoxes::exec(box);
    done(1);
}

void MoveFileDialog::fail(const QString &reason)
{
    MessageBoxes::warning(this, tr("Error"), m_mode == ModeMove ? tr("Move Copy file failed") : tr("Copy file failed"),
                          reason);
    done(-1);
}

void MoveFileDialog::done(int result)
{
    // Closing early drops the temporary copy; the destination keeps what it held before.
    if (!m_completed && m_destinationFile.isOpen()) {
        m_destinationFile.cancelWriting();
        // A cancelled commit removes the temporary file at once, not only when the dialog goes.
        m_destinationFile.commit();
    }
    QDialog::done(result);
}
