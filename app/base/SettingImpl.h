#pragma once

#include "SettingIntf.h"

#include <memory>

class QSettings;

// Settings in "Settings.ini" in the user's application-data folder. Nothing is cached: every operation
// opens the file, does its one read or write and closes it, so a value written through one reference is
// read at once through any other and has reached the disk when the call returns.
class SettingImpl : public SettingIntf
{
public:
    // The process-wide service; each call is one reference, given back with release().
    static SettingImpl *getInstance();
    SettingImpl *addRef();

    void release() override;
    QString getSavePath() override;
    void setSavePath(const QString &folder) override;
    QString getAudioSource() override;
    void setAudioSource(const QString &name) override;
    int getVideoQuality() override;
    void setVideoQuality(int quality) override;
    bool getMute() override;
    void setMute(bool mute) override;
    unsigned int getElapsedTimeTotalTime() override;
    void setElapsedTimeTotalTime(unsigned int totalTime) override;
    unsigned int getElapsedTimePeriod() override;
    void setElapsedTimePeriod(unsigned int period) override;
    void setValue(const QString &key, const QVariant &value) override;
    QVariant value(const QString &key) override;
    QVariant value(const QString &key, const QVariant &defaultValue) override;

    // The settings file's full path.
    static QString settingsFilePath();
    // The default media folder: "<Documents>/Quillo/Media Library/", absolute, ending in "/".
    static QString defaultMediaFolder();

private:
    SettingImpl();
    ~SettingImpl() override;

    int m_refCount = 1;
};
