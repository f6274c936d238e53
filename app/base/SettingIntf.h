#pragma once

#include <QString>
#include <QVariant>

// The program's persistent settings. Obtain it with SettingImpl::getInstance and give it back with release.
class SettingIntf
{
public:
    virtual void release() = 0;
    // The media folder, always ending in "/". A stored folder that is missing is replaced by the default
    // media folder, which is stored.
    virtual QString getSavePath() = 0;
    virtual void setSavePath(const QString &folder) = 0;
    virtual QString getAudioSource() = 0;
    virtual void setAudioSource(const QString &name) = 0;
    virtual int getVideoQuality() = 0;
    virtual void setVideoQuality(int quality) = 0;
    virtual bool getMute() = 0;
    virtual void setMute(bool mute) = 0;
    virtual unsigned int getElapsedTimeTotalTime() = 0;
    virtual void setElapsedTimeTotalTime(unsigned int totalTime) = 0;
    virtual unsigned int getElapsedTimePeriod() = 0;
    virtual void setElapsedTimePeriod(unsigned int period) = 0;
    virtual void setValue(const QString &key, const QVariant &value) = 0;
    // An absent key reads as an invalid variant.
    virtual QVariant value(const QString &key) = 0;
    virtual QVariant value(const QString &key, const QVariant &defaultValue) = 0;

    virtual ~SettingIntf() {}
};
