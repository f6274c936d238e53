#include "CaptureImpl.h"

#include "BusyDialog.h"
#include "CaptureSound.h"
#include "JpegFileWriter.h"
#include "LumoVisionIntf.h"
#include "MessageBoxes.h"
#include "ModuleLog.h"
#include "SettingImpl.h"

#include <QApplication>
#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMutexLocker>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QRecursiveMutex>
#include <QScreen>
#include <QSpacerItem>
#include <QStandardPaths>
#include <QUrl>

#include <climits>

namespace {

ModuleLog captureLog("quillo/capture");

QRecursiveMutex serviceMutex;

CaptureEnvironment &nextEnvironment()
{
    static CaptureEnvironment environment = CaptureEnvironment::system();
    return environment;
}

// Below 2 MiB a document picture may not fit, and the volume is too full to be of use anyway.
constexpr qint64 kMinFreeBytes = 2097151;
// A series folder is watched this often, so that its removal ends the series before the next shot.
constexpr int kCheckDirMs = 200;
// QTimer takes an int of milliseconds: longer intervals cannot be timed.
constexpr uint kMaxIntervalSeconds = uint(INT_MAX / 1000);
// The result dialog's button stays small next to its text.
constexpr int kOkButtonMaxWidth = 60;

Qt::WindowFlags serviceWindowFlags()
{
    Qt::WindowFlags flags = Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowCloseButtonHint;
    const QWidget *active = QApplication::activeWindow();
    if (active && active->windowFlags().testFlag(Qt::WindowStaysOnTopHint))
        flags |= Qt::WindowStaysOnTopHint;
    return flags;
}

} // namespace

CaptureIntf *CaptureImpl::getInstance()
{
    return acquire(serviceMutex, [] { return new CaptureImpl; });
}

void CaptureImpl::setEnvironment(const CaptureEnvironment &environment)
{
    QMutexLocker lock(&serviceMutex);
    nextEnvironment() = environment;
}

void CaptureImpl::release()
{
    if (releaseReference(serviceMutex))
        delete this;
}

CaptureImpl::CaptureImpl()
    : m_environment(nextEnvironment())
{
    m_sound = std::make_unique<CaptureSound>(QStandardPaths::writableLocation(QStandardPaths::TempLocation)
                                             + QStringLiteral("/quilloCaptureSound.wav"));
    m_settings = SettingImpl::getInstance();
    m_docCam = m_environment.cameraService();
    if (m_docCam->isDocCamConnected())
        m_status |= DOC_CAM | TIME_LAPSE;
    connect(m_docCam, &LumoVisionIntf::docCamConnected, this, &CaptureImpl::docCamConnected);
    connect(m_docCam, &LumoVisionIntf::docCamDisconnected, this, &CaptureImpl::docCamDisconnected);
    connect(m_docCam, &LumoVisionIntf::hqImageCaptured, this, &CaptureImpl::hqImageCaptured);
    connect(m_docCam, &LumoVisionIntf::hqImageCaptureAborted, this, &CaptureImpl::hqImageCaptureAborted);
    connect(m_docCam, &LumoVisionIntf::freezeStatusChanged, this, &CaptureImpl::docCamFreezeChanged);
    connect(&m_timeLapseTimer, &QTimer::timeout, this, &CaptureImpl::timeLapseShot);
    m_checkDirTimer.setInterval(kCheckDirMs);
    connect(&m_checkDirTimer, &QTimer::timeout, this, &CaptureImpl::checkDirExist);
}

CaptureImpl::~CaptureImpl()
{
    m_sound.reset();
    stopTimers();
    disconnect(m_docCam, nullptr, this, nullptr);
    disconnect(&m_timeLapseTimer, nullptr, this, nullptr);
    m_docCam->release();
    m_settings->release();
}

QString CaptureImpl::soundPath() const
{
    return m_sound->path();
}

uint CaptureImpl::actionStatus()
{
    QMutexLocker lock(&serviceMutex);
    return m_status;
}

void CaptureImpl::setStatus(uint status)
{
    m_status = status;
    Q_EMIT actionStatusChanged(status);
}

uint CaptureImpl::idleStatus() const
{
    return m_docCam->isDocCamConnected() ? kReady : kNoCamera;
}

void CaptureImpl::stopTimers()
{
    m_checkDirTimer.stop();
    m_timeLapseTimer.stop();
}

void CaptureImpl::playSound()
{
    if (m_environment.playSound)
        m_environment.playSound(m_sound->path());
    else
        m_sound->play();
}

QString CaptureImpl::timeStamp()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"));
}

bool CaptureImpl::_getSaveDirPath(QString *folder)
{
    QString path = m_settings->getSavePath();
    if (!QDir(path).exists() && !QDir().mkpath(path)) {
        captureLog(LogSystem::LOG_NOTICE, "CaptureImpl::_getSaveDirPath() - Dir %s can't not be created",
                   qUtf8Printable(path));
        path = SettingImpl::defaultMediaFolder();
        m_settings->setSavePath(path);
    }
    if (!QDir(path).exists())
        QDir().mkpath(path);
    if (!QDir(path).exists())
        return false;
    *folder = path;
    return true;
}

QString CaptureImpl::saveImageToPath(const QImage &image, const QString &folder, const QString &baseName)
{
    if (!QDir(folder).exists())
        return QString();
    MessageBoxes::Request box;
    box.fromService = true;
    box.icon = QMessageBox::Warning;
    box.title = tr("Warning");
    box.buttons = QMessageBox::Ok;
    if (!m_environment.isWritable(folder)) {
        stopTimers();
        captureLog(LogSystem::LOG_CRITICAL, "CaptureImpl::saveImageToPath - Permission Denied");
        box.text = tr("Permission Denied! You do not have access to the directory.");
        box.informativeText = tr("You do not have permission to write to %1.").arg(QDir::toNativeSeparators(folder));
        MessageBoxes::exec(box);
        return QString();
    }
    if (m_environment.freeSpace(folder) <= kMinFreeBytes) {
        stopTimers();
        captureLog(LogSystem::LOG_CRITICAL, "CaptureImpl::saveImageToPath - Not enough disk space!");
        box.text = tr("Not enough disk space!");
        box.informativeText = tr("Captured image cannot be saved.");
        box.defaultButton = QMessageBox::Ok;
        MessageBoxes::exec(box);
        return QString();
    }
    return JpegFileWriter::write(image, folder, baseName);
}

QString CaptureImpl::captureCurrentFrame(const QString &folder, const QString &baseName)
{
    QImage frame;
    m_docCam->grabCurrentFrame(&frame);
    if (frame.isNull()) {
        captureLog(LogSystem::LOG_CRITICAL, "CaptureImpl::captureCurrentFrame() - No image");
        return QString();
    }
    return saveImageToPath(frame, folder, baseName);
}

QImage CaptureImpl::grabDesktop(const std::function<QPixmap(QScreen *)> &grabScreen)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    QRect desktop;
    for (const QScreen *screen : screens)
        desktop |= screen->geometry();
    if (desktop.isEmpty())
        return QImage();
    QImage image(desktop.size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    for (QScreen *screen : screens) {
        const QPixmap picture = grabScreen(screen);
        if (picture.isNull()) {
            captureLog(LogSystem::LOG_CRITICAL, "CaptureImpl::grabDesktop() - Screen %s cannot be grabbed",
                       qUtf8Printable(screen->name()));
            return QImage();
        }
        const QRect place = screen->geometry().translated(-desktop.topLeft());
        painter.drawPixmap(place, picture);
    }
    return image;
}

int CaptureImpl::captureScreen(QString *path)
{
    QMutexLocker lock(&serviceMutex);
    if (!path)
        return -2000;
    if (m_isTimeLapseCapturing) {
        captureLog(LogSystem::LOG_NOTICE, "CaptureImpl::captureScreen() - Time Lapse");
        return -2001;
    }
    QString folder;
    if (!_getSaveDirPath(&folder)) {
        captureLog(LogSystem::LOG_CRITICAL, "CaptureImpl::captureScreen() - No directory to save");
        return -1;
    }
    const QString baseName = QStringLiteral("Quillo-") + timeStamp();
    *path = JpegFileWriter::firstFreeName(folder, baseName);
    const QString saved = saveImageToPath(grabDesktop(m_environment.grabScreen), folder, baseName);
    if (saved.isEmpty()) {
        captureLog(LogSystem::LOG_CRITICAL, "CaptureImpl::captureScreen() - Save failed");
        return -1;
    }
    *path = saved;
    captureLog(LogSystem::LOG_DEBUG, "CaptureImpl::captureScreen() - Capture succeed, path : %s",
               qUtf8Printable(saved));
    Q_EMIT fullScreenImageCaptured(saved);
    playSound();
    return 0;
}

void CaptureImpl::runCapturingDialog()
{
    auto *dialog = new BusyDialog(BusyDialog::parentFor(m_docCam->cameraWidget()), tr("Capturing..."));
    m_capturingDialog = dialog;
    dialog->exec();
    m_capturingDialog = nullptr;
    dialog->deleteLater();
}

int CaptureImpl::captureVision(QString *path)
{
    QMutexLocker lock(&serviceMutex);
    if (!path)
        return -2000;
    if (!m_docCam->isDocCamConnected()) {
        captureLog(LogSystem::LOG_CRITICAL, "CaptureImpl::captureVision() - No doc cam");
        return -1000;
    }
    if (m_isTimeLapseCapturing)
        return -2001;

    // Set before asking: the still may come before the request returns.
    m_hqOutstanding = true;
    m_lastHQPath.clear();
    if (m_docCam->requestHQImage() < 0) {
        m_hqOutstanding = false;
    } else {
        const uint previous = m_status;
        setStatus(0);
        if (m_hqOutstanding)
            runCapturingDialog();
        // Closed without a still (the dialog dismissed): a still that comes later is saved and announced
        // on its own.
        m_hqOutstanding = false;
        setStatus(m_docCam->isDocCamConnected() ? previous : kNoCamera);
        *path = m_lastHQPath;
        // A still that reached the disk is announced even when the camera went away meanwhile.
        if (!m_lastHQPath.isEmpty()) {
            Q_EMIT docCamImageCaptured(m_lastHQPath);
            return 0;
        }
    }
    if (!m_docCam->isDocCamConnected())
        return -1000;

    captureLog(LogSystem::LOG_NOTICE, "CaptureImpl::captureVision() - Can't do hq capture");
    QString folder;
    if (!_getSaveDirPath(&folder)) {
        captureLog(LogSystem::LOG_CRITICAL, "CaptureImpl::captureVision() - No directory to save");
        return -1;
    }
    const QString saved = captureCurrentFrame(folder, QStringLiteral("Quillo-") + timeStamp());
    if (saved.isEmpty())
        return -1000;
    playSound();
    *path = saved;
    Q_EMIT docCamImageCaptured(saved);
    return 0;
}

void CaptureImpl::hqImageCaptured(const QImage &image)
{
    const bool requested = m_hqOutstanding;
    m_hqOutstanding = false;
    // A still nobody waits for (late, or sent by the camera on its own) is kept only if it can be announced.
    if (requested || !image.isNull()) {
        QString folder;
        QString saved;
        if (_getSaveDirPath(&folder))
            saved = saveImageToPath(image, folder, QStringLiteral("Quillo-") + timeStamp());
        else
            captureLog(LogSystem::LOG_CRITICAL, "CaptureImpl::hqImageCaptured() - No directory to save");
        if (!saved.isEmpty()) {
            playSound();
            if (requested)
                m_lastHQPath = saved;
            else
                Q_EMIT docCamImageCaptured(saved);
        }
    }
    if (m_capturingDialog && m_capturingDialog->isVisible()) {
        m_capturingDialog->done(1);
        Q_EMIT actionStatusChanged(idleStatus());
    }
}

void CaptureImpl::hqImageCaptureAborted(int code)
{
    m_hqOutstanding = false;
    if (m_capturingDialog && m_capturingDialog->isVisible()) {
        m_capturingDialog->done(1);
        Q_EMIT actionStatusChanged(idleStatus());
    }
    captureLog(LogSystem::LOG_CRITICAL, "CaptureImpl::hqImageCaptureAborted() - error code %d", code);
}

void CaptureImpl::docCamConnected(const QString &)
{
    QMutexLocker lock(&serviceMutex);
    // A running series keeps its controls, or the user could no longer stop it.
    if (m_isTimeLapseCapturing)
        return;
    setStatus(m_status | kReady);
}

void CaptureImpl::docCamFreezeChanged(bool frozen)
{
    if (m_isTimeLapseCapturing)
        return;
    setStatus(frozen ? kNoCamera : kReady);
}

// ----- time-lapse series -----

bool CaptureImpl::parametersValid() const
{
    return m_interval != 0 && m_totalTime >= m_interval && m_interval <= kMaxIntervalSeconds
           && m_totalTime / m_interval < UINT_MAX;
}

int CaptureImpl::toggleTimeLapseSetup()
{
    QMutexLocker lock(&serviceMutex);
    if (!m_docCam->isDocCamConnected())
        return -1000;
    if (m_isTimeLapseCapturing)
        return -2001;
    setStatus((m_status & TIME_LAPSE_EDITORS_SHOWN) ? idleStatus() : kSetup);
    return 0;
}

int CaptureImpl::getTimeLapseParameters(uint *totalTime, uint *interval)
{
    if (!totalTime || !interval)
        return -2000;
    *totalTime = m_totalTime;
    *interval = m_interval;
    return 0;
}

int CaptureImpl::setTimeLapseParameters(uint totalTime, uint interval)
{
    QMutexLocker lock(&serviceMutex);
    if (!m_docCam->isDocCamConnected())
        return -1000;
    if (m_isTimeLapseCapturing)
        return -2001;
    m_totalTime = totalTime;
    m_interval = interval;
    const bool valid = parametersValid();
    const bool marked = m_status & TIME_LAPSE_PARAMETERS_VALID;
    if (valid && !marked)
        setStatus(m_status | TIME_LAPSE_PARAMETERS_VALID);
    else if (!valid && marked)
        setStatus(m_status & ~uint(TIME_LAPSE_PARAMETERS_VALID));
    return 0;
}

int CaptureImpl::startTimeLapseCapture()
{
    QMutexLocker lock(&serviceMutex);
    if (!m_docCam->isDocCamConnected())
        return -1000;
    if (m_isTimeLapseCapturing) {
        captureLog(LogSystem::LOG_CRITICAL, "CaptureImpl::startTimeLapseCapture() - Time lapse capturing");
        return -2001;
    }
    if (!parametersValid()) {
        captureLog(LogSystem::LOG_CRITICAL,
                   "CaptureImpl::startTimeLapseCapture() - Invalid parameters time : %u, "
                   "interval : %u",
                   m_totalTime, m_interval);
        return -2000;
    }
    QString folder;
    if (!_getSaveDirPath(&folder)) {
        captureLog(LogSystem::LOG_CRITICAL, "CaptureImpl::startTimeLapseCapture() - No directory to save");
        return -1;
    }
    // A folder of that name already there (a series started within the same second) is never reused.
    const QString baseName = folder + QStringLiteral("Quillo-Time-Lapse_") + timeStamp();
    QString dir = baseName;
    for (int suffix = 1; !QDir().mkdir(dir) && QFileInfo::exists(dir); ++suffix)
        dir = QStringLiteral("%1-%2").arg(baseName).arg(suffix);
    m_timeLapseDir = dir + QLatin1Char('/');

    m_shotCount = m_totalTime / m_interval + 1;
    m_shotIndex = 0;
    m_capturedFiles.clear();
    m_shotDeferred = false;
    ++m_series;
    m_timeLapseTimer.setSingleShot(false);
    m_timeLapseTimer.start(int(m_interval * uint(m_environment.msPerSecond)));
    m_isTimeLapseCapturing = true;
    setStatus(kSeriesRunning);
    timeLapseShot();
    if (m_isTimeLapseCapturing)
        m_checkDirTimer.start();
    return 0;
}

void CaptureImpl::timeLapseShot()
{
    QMutexLocker lock(&serviceMutex);
    if (!m_isTimeLapseCapturing)
        return;
    if (m_shotInProgress) {
        m_shotDeferred = true;
        return;
    }
    if (m_shotIndex >= m_shotCount) {
        finishTimeLapse();
        return;
    }
    const uint series = m_series;
    m_shotInProgress = true;
    const QString path = captureCurrentFrame(m_timeLapseDir, QString::number(m_shotIndex + 1));
    m_shotInProgress = false;
    if (series != m_series || !m_isTimeLapseCapturing) {
        // The series ended while the shot was being written: the file is announced all the same.
        if (!path.isEmpty())
            Q_EMIT oneTimeLapseImageCaptured(path);
        return;
    }
    if (path.isEmpty()) {
        failTimeLapse();
        return;
    }
    m_capturedFiles.append(path);
    Q_EMIT oneTimeLapseImageCaptured(path);
    ++m_shotIndex;
    Q_EMIT timeLapseCaptureProgressUpdated(m_shotIndex, m_shotCount);
    if (m_shotIndex >= m_shotCount) {
        finishTimeLapse();
        return;
    }
    if (m_shotDeferred) {
        m_shotDeferred = false;
        QTimer::singleShot(0, this, &CaptureImpl::timeLapseShot);
    }
}

void CaptureImpl::failTimeLapse()
{
    stopTimers();
    setStatus(idleStatus());
    m_isTimeLapseCapturing = false;
    const QString title = tr("Time Lapse Capture Interrupted");
    const bool folderGone = !QDir(m_timeLapseDir).exists();
    if (folderGone)
        m_capturedFiles.clear();
    if (m_capturedFiles.isEmpty())
        showCaptureResult(title, 0, tr("Can't save image to destination folder."));
    else
        showCaptureResult(title, int(m_capturedFiles.size()), m_timeLapseDir);
    Q_EMIT timeLapseImageCaptureAborted(m_capturedFiles, -1);
}

void CaptureImpl::finishTimeLapse()
{
    stopTimers();
    m_isTimeLapseCapturing = false;
    m_shotIndex = 0;
    m_shotCount = 0;
    setStatus(idleStatus());
    showCaptureResult(tr("Time Lapse Capture Completed"), int(m_capturedFiles.size()), m_timeLapseDir);
    Q_EMIT timeLapseImageCaptureCompleted(m_capturedFiles);
}

int CaptureImpl::stopTimeLapseCapture()
{
    QMutexLocker lock(&serviceMutex);
    if (!m_isTimeLapseCapturing) {
        captureLog(LogSystem::LOG_CRITICAL, "CaptureImpl::stopTimeLapseCapture() - Not capturing");
        return -2002;
    }
    stopTimers();
    m_isTimeLapseCapturing = false;
    setStatus(idleStatus());
    const QList<QString> files = std::exchange(m_capturedFiles, {});
    m_shotIndex = 0;
    m_shotCount = 0;
    showCaptureResult(tr("Time Lapse Capture Interrupted"), int(files.size()), m_timeLapseDir);
    Q_EMIT timeLapseImageCaptureAborted(files, 1000);
    return 0;
}

void CaptureImpl::docCamDisconnected()
{
    QMutexLocker lock(&serviceMutex);
    stopTimers();
    setStatus(kNoCamera);
    if (!m_isTimeLapseCapturing)
        return;
    m_isTimeLapseCapturing = false;
    m_shotIndex = 0;
    m_shotCount = 0;
    showCaptureResult(tr("Time Lapse Capture Interrupted"), int(m_capturedFiles.size()), m_timeLapseDir);
    Q_EMIT timeLapseImageCaptureAborted(m_capturedFiles, -1000);
}

void CaptureImpl::checkDirExist()
{
    QMutexLocker lock(&serviceMutex);
    // A shot being written notices a missing folder itself.
    if (!m_isTimeLapseCapturing || m_shotInProgress || QDir(m_timeLapseDir).exists())
        return;
    captureLog(LogSystem::LOG_WARNING, "CaptureImpl::checkDirExist - Time lapse capture dir removed!");
    timeLapseShot();
}

int CaptureImpl::confirmExit()
{
    QMutexLocker lock(&serviceMutex);
    if (!m_isTimeLapseCapturing)
        return 0;
    MessageBoxes::Request box;
    box.fromService = true;
    box.icon = QMessageBox::Warning;
    box.title = tr("Warning");
    box.text = tr("Do you really want to exit Quillo?");
    box.informativeText = tr("Time Lapse Capture is on going!");
    box.buttons = QMessageBox::Yes | QMessageBox::No;
    box.defaultButton = QMessageBox::No;
    // Anything but Yes (No, or the box closed) keeps the application running.
    if (MessageBoxes::exec(box) != QMessageBox::Yes)
        return -3000;
    stopTimers();
    m_isTimeLapseCapturing = false;
    setStatus(idleStatus());
    return 0;
}

void CaptureImpl::showCaptureResult(const QString &title, int count, const QString &folderOrText)
{
    QWidget parent;
    QDialog dialog(&parent, serviceWindowFlags());
    dialog.setWindowTitle(QString());
    auto *layout = new QGridLayout(&dialog);
    QString text = QStringLiteral("<B>%1</B><br><br>").arg(title.toHtmlEscaped());
    if (count > 0) {
        const QString link = QStringLiteral("<a href=\"%1\">%2</a>")
                                 .arg(QUrl::fromLocalFile(folderOrText).toString(QUrl::FullyEncoded).toHtmlEscaped(),
                                      QDir::toNativeSeparators(folderOrText).toHtmlEscaped());
        text += (count == 1 ? tr("%1 image has been captured in %2") : tr("%1 images have been captured in %2"))
                    .arg(count)
                    .arg(link);
    } else {
        text += folderOrText.toHtmlEscaped();
    }
    auto *label = new QLabel(&dialog);
    label->setObjectName(QStringLiteral("resultText"));
    label->setTextFormat(Qt::RichText);
    label->setWordWrap(true);
    label->setOpenExternalLinks(true);
    label->setText(text);
    layout->addWidget(label, 0, 0, 1, 2);
    layout->addItem(new QSpacerItem(1, 1), 1, 0);
    auto *ok = new QPushButton(tr("OK"), &dialog);
    ok->setMaximumWidth(kOkButtonMaxWidth);
    connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    layout->addWidget(ok, 1, 1);
    dialog.setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    dialog.adjustSize();
    dialog.setFixedSize(dialog.size());
    dialog.exec();
}
