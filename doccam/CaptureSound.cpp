#include "CaptureSound.h"

#include <QFile>
#include <QSoundEffect>
#include <QUrl>

CaptureSound::CaptureSound(const QString &copyPath)
    : m_path(copyPath)
{
    if (!QFile::exists(m_path) && QFile::copy(QStringLiteral(":/Sounds/sounds/capture.wav"), m_path))
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
}

CaptureSound::~CaptureSound()
{
    m_effect.reset();
    QFile::remove(m_path);
}

void CaptureSound::play()
{
    // Made on first use: opening the audio output costs time that a start-up without captures need not pay.
    if (!m_effect) {
        m_effect = std::make_unique<QSoundEffect>();
        m_effect->setSource(QUrl::fromLocalFile(m_path));
    }
    m_effect->play();
}
