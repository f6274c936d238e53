#include "DeleteFolderDialog.h"

#include "BrowserLog.h"
#include "MediaFileStore.h"
#include "MediaImpl.h"
#include "MediaLibraryDatabase.h"
#include "MessageBoxes.h"
#include "ui_DeleteFolderDialog.h"

#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>

namespace {

// Hidden entries and broken links (which QDir files under System) are part of the tree too.
constexpr QDir::Filters kEverything = QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System;

// "text" cut to its first keep characters plus '..."' when it is longer than limit.
QString cutQuoted(const QString &text, qsizetype limit, qsizetype keep)
{
    return text.size() > limit ? text.left(keep) + QStringLiteral("...\"") : text;
}

bool isRealFolder(const QFileInfo &info)
{
    return info.isDir() && !info.isSymLink();
}

} // namespace

DeleteFolderDialog::DeleteFolderDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint)
    , ui(std::make_unique<Ui::DeleteFolderDialog>())
{
    ui->setupUi(this);
    ui->progressBar->reset();
    ui->statusLabel->setText(QString());
    m_startTimer.setSingleShot(true);
    m_startTimer.setInterval(kStartDelayMs);
    connect(&m_startTimer, &QTimer::timeout, this, &DeleteFolderDialog::startDeletion);
}

DeleteFolderDialog::~DeleteFolderDialog() = default;

qint64 DeleteFolderDialog::countEntries(const QString &path)
{
    if (!isRealFolder(QFileInfo(path)))
        return 0;
    qint64 count = 0;
    const QFileInfoList entries = QDir(path).entryInfoList(kEverything, QDir::Unsorted);
    for (const QFileInfo &entry : entries) {
        ++count;
        if (isRealFolder(entry))
            count += countEntries(entry.absoluteFilePath());
    }
    return count;
}

void DeleteFolderDialog::planTree(const QString &path, QList<Step> &plan)
{
    const QFileInfoList entries = QDir(path).entryInfoList(kEverything, QDir::Unsorted);
    for (const QFileInfo &entry : entries) {
        if (isRealFolder(entry))
            planTree(entry.absoluteFilePath(), plan);
    }
    for (const QFileInfo &entry : entries) {
        if (!isRealFolder(entry))
            plan.append({entry.absoluteFilePath(), false});
    }
    plan.append({path, true});
}

bool DeleteFolderDialog::deleteFolder(const QString &folder, bool removeLinks)
{
    m_folder.clear();
    m_total = 0;
    m_removeLinks = false;
    m_result = false;
    m_plan.clear();
    m_nextStep = 0;
    m_stepsDone = 0;

    const QFileInfo top(folder);
    if (!top.isDir())
        return true;

    m_folder = folder;
    m_total = countEntries(folder);
    m_removeLinks = removeLinks;

    ui->progressBar->reset();
    ui->progressBar->setRange(0, int(qMin<qint64>(m_total, std::numeric_limits<int>::max())));
    const QString title = tr("Delete Folder \"%1\"").arg(top.fileName());
    setWindowTitle(cutQuoted(title, 63, 60));

    m_startTimer.start();
    exec();
    m_startTimer.stop();
    // Only the start fills the plan.
    const bool started = !m_plan.isEmpty();
    // Escape or the close button before the start: the user changed their mind, which needs no message.
    if (!started)
        return false;

    if (QFileInfo(folder).isDir()) {
        MessageBoxes::warning(this, tr("Delete Folder"), tr("Cannot remove this folder"));
        m_result = false;
        return false;
    }
    return m_result;
}

void DeleteFolderDialog::startDeletion()
{
    // A link named as the folder is removed as a link; its target is not part of the tree.
    if (QFileInfo(m_folder).isSymLink())
        m_plan.append({m_folder, false});
    else
        planTree(m_folder, m_plan);
    m_running = true;
    runSlice();
}

void DeleteFolderDialog::runSlice()
{
    QElapsedTimer slice;
    slice.start();
    while (m_nextStep < m_plan.size() && slice.elapsed() < kSliceMs) {
        const Step &step = m_plan.at(m_nextStep++);
        m_result = step.isFolder ? removeFolderEntry(step.path) : deleteFile(step.path);
    }
    if (m_nextStep < m_plan.size()) {
        QTimer::singleShot(0, this, &DeleteFolderDialog::runSlice);
        return;
    }
    m_running = false;
    ui->progressBar->setValue(ui->progressBar->maximum());
    done(m_result ? 1 : 0);
}

bool DeleteFolderDialog::deleteFile(const QString &path)
{
    showStatus(path);
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return false;
    // A file without its owner's write bit is taken as read-only; a link's own mode means nothing.
    const QFileDevice::Permissions mode = QFile::permissions(path);
    if (!info.isSymLink() && !(mode & QFileDevice::WriteOwner)
        && !QFile::setPermissions(path, mode | QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        MessageBoxes::warning(this, QObject::tr("File error"), QObject::tr("Cannot set file attributes"));
    } else {
        auto *record = new MediaImpl(path);
        MediaFileStore::getInstance()->removeMediaFileAndLinks(record, m_removeLinks);
        record->release();
    }
    advance();
    return true;
}

bool DeleteFolderDialog::removeFolderEntry(const QString &path)
{
    showStatus(path);
    MediaLibraryDatabase *index = MediaLibraryDatabase::getInstance();
    const bool removed = QDir().rmdir(path);
    if (removed)
        index->removeFolder(path);
    else
        browserLog(LogSystem::LOG_WARNING, "DeleteFolderDialog - cannot remove %s", qUtf8Printable(path));
    MediaLibraryDatabase::release();
    advance();
    return removed;
}

void DeleteFolderDialog::showStatus(const QString &path)
{
    QString name = QFileInfo(path).fileName();
    name.replace(QLatin1Char('/'), QDir::separator());
    ui->statusLabel->setText(cutQuoted(QStringLiteral("Delete \"%1\"").arg(name), 53, 50));
}

void DeleteFolderDialog::advance()
{
    ui->progressBar->setValue(int(qMin<qint64>(++m_stepsDone, ui->progressBar->maximum())));
    ui->progressBar->update();
}

void DeleteFolderDialog::reject()
{
    if (!m_running)
        QDialog::reject();
}

void DeleteFolderDialog::closeEvent(QCloseEvent *event)
{
    if (m_running)
        event->ignore();
    else
        QDialog::closeEvent(event);
}
