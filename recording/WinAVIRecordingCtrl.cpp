#include "WinAVIRecordingCtrl.h"

#include "AVIRecordingThread.h"
#include "RecordingLog.h"
#include "UsbDeviceMonitor.h"
#include "WinVolumeController.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace {

// Attempts to find a device's full name among the descriptions before its short name is used.
constexpr int kLongNameAttempts = 20;

struct CameraModel
{
    const char *modelText;
    QList<const char *> usbIds;
};

// Document cameras whose microphone goes away with them: a short model name in the microphone's name,
// and the cameras' USB ids.
const QList<CameraModel> &cameraModels()
{
    static const QList<CameraModel> models = {{"Q40", {"6d1b"}}, {"Q30", {"c3e7", "9b52"}}};
    return models;
}

QSize desktopSize()
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() * screen->devicePixelRatio() : QSize();
}

} // namespace

WinAVIRecordingCtrl::WinAVIRecordingCtrl(QObject *parent)
    : WinAVIRecordingCtrl(AVIRecordingThread::getInstance(), WinVolumeController::instance(), parent)
{
}

WinAVIRecordingCtrl::WinAVIRecordingCtrl(QSharedPointer<AVIRecordingThread> thread, WinVolumeController *volume,
                                         QObject *parent)
    : QObject(parent)
    , m_thread(std::move(thread))
    , m_volume(volume)
{
}

WinAVIRecordingCtrl::~WinAVIRecordingCtrl()
{
    QString name;
    stopRecording(name);
}

int WinAVIRecordingCtrl::heightForWidth(const QSize &desktop, int width, bool even)
{
    if (desktop.width() <= 0)
        return 0;
    int height = qAbs(desktop.height()) * width / qAbs(desktop.width());
    if (even && height % 2 != 0)
        ++height;
    return height;
}

int WinAVIRecordingCtrl::captureTerms(bool even, int width, int *height, const QString &audioSource)
{
    if (width != 0 && *height == 0)
        *height = heightForWidth(desktopSize(), width, even);
    m_audioSource = audioSource;
    const int device = audioSourceIndex(audioSource);
    if (device < 0 && !audioSource.isEmpty())
        recordingLog(LogSystem::LOG_NOTICE,
                     "WinAVIRecordingCtrl::startRecording - %s is not present, recording without sound",
                     qUtf8Printable(audioSource));
    return device;
}

void WinAVIRecordingCtrl::watchDevices()
{
    if (m_notification)
        return;
    m_notification = new UsbDeviceMonitor(this);
    connect(m_notification, &UsbDeviceMonitor::deviceArrived, this, &WinAVIRecordingCtrl::deviceChanged);
    connect(m_notification, &UsbDeviceMonitor::deviceRemoved, this, &WinAVIRecordingCtrl::deviceChanged);
}

bool WinAVIRecordingCtrl::prepareRecording(int width, int height, const QString &audioSource)
{
    const int device = captureTerms(true, width, &height, audioSource);
    // The window is always the primary screen here.
    return m_thread->prepareRecording(0, width, height, device);
}

bool WinAVIRecordingCtrl::startCommon(const QString &codec, bool timerMode, int width, int height,
                                      const QString &audioSource)
{
    const int device = captureTerms(!timerMode, width, &height, audioSource);
    // The window is always the primary screen here.
    const bool started = timerMode ? m_thread->startRecording(codec, 0, width, height, device)
                                   : m_thread->startRecording(0, width, height, device);
    watchDevices();
    // The thread-mode start answers false only when it could not begin (a nearly full disk, a file that
    // could not be made): a capture that began and then failed at once, before this answer, is reported by
    // the status poll like any later failure. The timer-mode start's thread keeps running after a failure.
    return timerMode ? m_thread->isRecording() : started;
}

bool WinAVIRecordingCtrl::startRecording(int width, int height, const QString &audioSource)
{
    return startCommon(QString(), false, width, height, audioSource);
}

bool WinAVIRecordingCtrl::startRecording(const QString &codec, int width, int height, const QString &audioSource)
{
    return startCommon(codec, true, width, height, audioSource);
}

bool WinAVIRecordingCtrl::removeNotification()
{
    delete m_notification;
    m_notification = nullptr;
    return true;
}

bool WinAVIRecordingCtrl::stopRecording(QString &fileName)
{
    m_thread->stopRecording();
    fileName = m_thread->outputFile();
    return removeNotification();
}

bool WinAVIRecordingCtrl::stopRecording(QStringList *files)
{
    m_thread->stopRecording();
    if (files)
        *files = m_thread->recordedFiles();
    return removeNotification();
}

bool WinAVIRecordingCtrl::stopTimerRecording(QString &fileName)
{
    m_thread->stopNow();
    fileName = m_thread->outputFile();
    return removeNotification();
}

bool WinAVIRecordingCtrl::stopTimerRecording(QStringList *files)
{
    m_thread->stopNow();
    if (files)
        *files = m_thread->recordedFiles();
    return removeNotification();
}

bool WinAVIRecordingCtrl::togglePause()
{
    return m_thread->togglePause();
}

bool WinAVIRecordingCtrl::isRecording()
{
    return m_thread->isRecording();
}

bool WinAVIRecordingCtrl::addFrame()
{
    return isRecording() && m_thread->addFrame();
}

int WinAVIRecordingCtrl::errorCode()
{
    return m_thread->errorCode();
}

QString WinAVIRecordingCtrl::failureCause()
{
    return m_thread->failureCause();
}

bool WinAVIRecordingCtrl::microphoneGivenUp()
{
    return m_thread->microphoneGivenUp();
}

void WinAVIRecordingCtrl::setMute(bool mute)
{
    m_thread->setMute(mute);
}

bool WinAVIRecordingCtrl::getMute()
{
    return m_thread->getMute();
}

void WinAVIRecordingCtrl::setVolume(uint percent)
{
    m_volume->setVolume(uint(quint64(percent) * 65535 / 100), WinVolumeController::SOURCE);
}

uint WinAVIRecordingCtrl::getVolume()
{
    return m_volume->getVolume(WinVolumeController::SOURCE) * 100 / 65535;
}

int WinAVIRecordingCtrl::audioDeviceCount()
{
    return m_volume->deviceCount();
}

QStringList WinAVIRecordingCtrl::audioSourceList()
{
    const QStringList productNames = m_volume->productNames();
    if (productNames.size() == m_cachedSources.size())
        return m_cachedSources;
    QStringList longNames = m_volume->deviceLongNames();
    bool reopened = false;
    QStringList fresh;
    for (QString name : productNames) {
        for (int attempt = 0; attempt < kLongNameAttempts; ++attempt) {
            bool matched = false;
            for (const QString &longName : std::as_const(longNames)) {
                if (longName.contains(name, Qt::CaseSensitive)) {
                    name = longName;
                    matched = true;
                }
            }
            if (matched)
                break;
            if (!reopened) {
                m_volume->reopenMixers();
                reopened = true;
            }
            longNames = m_volume->deviceLongNames();
        }
        fresh.append(name);
    }
    if (sourceListsDiffer(m_cachedSources, fresh))
        m_cachedSources = fresh;
    return m_cachedSources;
}

bool WinAVIRecordingCtrl::sourceListsDiffer(const QStringList &cached, const QStringList &fresh)
{
    auto containedInAny = [](const QString &text, const QStringList &longer) {
        return std::any_of(longer.begin(), longer.end(), [&text](const QString &l) { return l.contains(text); });
    };
    for (const QString &old : cached) {
        if (!std::any_of(fresh.begin(), fresh.end(), [&old](const QString &n) { return old.contains(n); }))
            return true;
    }
    for (const QString &entry : fresh) {
        if (!containedInAny(entry, cached))
            return true;
    }
    return false;
}

int WinAVIRecordingCtrl::audioSourceIndex(const QString &name)
{
    const QStringList sources = audioSourceList();
    for (int i = 0; i < sources.size(); ++i) {
        if (sources.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -2;
}

QStringList WinAVIRecordingCtrl::cachedAudioSources() const
{
    return m_cachedSources;
}

bool WinAVIRecordingCtrl::matchesCameraMicrophone(const QString &source, const QString &path)
{
    for (const CameraModel &model : cameraModels()) {
        if (!source.contains(QLatin1String(model.modelText), Qt::CaseInsensitive))
            continue;
        for (const char *id : model.usbIds) {
            if (path.contains(QLatin1String(id), Qt::CaseInsensitive))
                return true;
        }
    }
    return false;
}

void WinAVIRecordingCtrl::deviceChanged(const QString &path)
{
    if (!matchesCameraMicrophone(m_audioSource, path))
        return;
    recordingLog(LogSystem::LOG_NOTICE,
                 "WinAVIRecordingCtrl::deviceChanged - the camera with the microphone %s "
                 "came or went, recording goes on without sound",
                 qUtf8Printable(m_audioSource));
    m_thread->stopAudioCapture();
}
