#pragma once

#include <QString>
#include <QVariant>

// The program's persistent settings. Obtain it with SettingImpl::getInstance and give it back with release.
// Every setter answers whether the value reached the file.
class SettingIntf
{
public:
    virtual void release() = 0;
    // The media folder, always ending in "/". Without a stored folder the default media folder is stored and
    // used; a stored folder that is missing (a stick not plugged in) gives the default for this call only and
    // stays the user's choice.
    virtual QString getSavePath() = 0;
    virtual bool setSavePath(const QString &folder) = 0;
    virtual QString getAudioSource() = 0;
    virtual bool setAudioSource(const QString &name) = 0;
    virtual int getVideoQuality() = 0;
    virtual bool setVideoQuality(int quality) = 0;
    virtual bool getMute() = 0;
    virtual bool setMute(bool mute) = 0;
    virtual unsigned int getElapsedTimeTotalTime() = 0;
    virtual bool setElapsedTimeTotalTime(unsigned int totalTime) = 0;
    virtual unsigned int getElapsedTimePeriod() = 0;
    virtual bool setElapsedTimePeriod(unsigned int period) = 0;
    virtual bool setValue(const QString &key, const QVariant &value) = 0;
    // An absent key reads as an invalid variant.
    virtual QVariant value(const QString &key) = 0;
    virtual QVariant value(const QString &key, const QVariant &defaultValue) = 0;

    virtual ~SettingIntf() {}
};
