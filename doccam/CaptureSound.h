#pragma once

#include <QString>

#include <memory>

class QSoundEffect;

// The short shutter sound of a capture. The compiled-in sound is copied to the temporary folder once (an
// existing copy is kept) and removed again with this object. Without an audio device it stays silent.
class CaptureSound
{
public:
    explicit CaptureSound(const QString &copyPath);
    ~CaptureSound();

    QString path() const { return m_path; }
    void play();

private:
    QString m_path;
    std::unique_ptr<QSoundEffect> m_effect;
};
