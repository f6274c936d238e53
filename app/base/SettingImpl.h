#pragma once

#include "CountedService.h"
#include "SettingIntf.h"

#include <functional>
#include <memory>

class QSettings;

// Settings in "Settings.ini" in the user's application-data folder. Nothing is cached: every operation
// opens the file, does its one read or write and closes it, so a value written through one reference is
// read at once through any other and has reached the disk when the call returns.
class SettingImpl : public SettingIntf, public CountedService<SettingImpl>
{
public:
    // The process-wide service; each call is one reference, given back with release().
    static SettingImpl *getInstance();
    SettingImpl *addRef();

    void release() override;
    QString getSavePath() override;
    bool setSavePath(const QString &folder) override;
    QString getAudioSource() override;
    bool setAudioSource(const QString &name) override;
    int getVideoQuality() override;
    bool setVideoQuality(int quality) override;
    bool getMute() override;
    bool setMute(bool mute) override;
    unsigned int getElapsedTimeTotalTime() override;
    bool setElapsedTimeTotalTime(unsigned int totalTime) override;
    unsigned int getElapsedTimePeriod() override;
    bool setElapsedTimePeriod(unsigned int period) override;
    bool setValue(const QString &key, const QVariant &value) override;
    QVariant value(const QString &key) override;
    QVariant value(const QString &key, const QVariant &defaultValue) override;

    // What the service has to tell the user beyond the log; each notice is given once, until its cause is
    // gone, and one raised before a handler is set waits for it.
    enum class Notice {
        // The stored media folder is missing; folder is the stored one, the default stands in for it.
        MediaFolderMissing,
        // The data folder (settings, upload schedules, media information) cannot be written; folder is it.
        DataFolderNotWritable,
    };
    // May be called on any thread, under a lock of the service's: it must only hand the notice on.
    using NoticeHandler = std::function<void(Notice notice, const QString &folder)>;
    // The window sets it while it lives; an empty handler takes it away.
    static void setNoticeHandler(NoticeHandler handler);

    // The settings file's full path.
    static QString settingsFilePath();
    // The default media folder: "<Documents>/Quillo/Media Library/", absolute, ending in "/".
    static QString defaultMediaFolder();

private:
    SettingImpl();
    ~SettingImpl() override;
};
