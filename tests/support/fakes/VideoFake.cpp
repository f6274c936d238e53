#include "VideoFake.h"

#include <QWidget>

VideoFake::VideoFake()
    : m_view(new QWidget)
{
}

VideoFake::~VideoFake()
{
    delete m_view.data();
}

void VideoFake::setActionStatus(uint status)
{
    provideAnswer(QStringLiteral("actionStatus"), status);
    emit actionStatusChanged(status);
}

QWidget *VideoFake::videoWidget()
{
    record("videoWidget");
    return m_view;
}

void VideoFake::showVideo()
{
    record("showVideo");
    if (m_view)
        m_view->show();
}

void VideoFake::hideVideo()
{
    record("hideVideo");
    if (m_view)
        m_view->hide();
}

int VideoFake::attachVideo(const QString &path)
{
    return respond<int>("attachVideo", {path});
}
QString VideoFake::videoPath()
{
    return respond<QString>("videoPath");
}
QSize VideoFake::videoSize(const QSize &area)
{
    return respond<QSize>("videoSize", {area}, area);
}
void VideoFake::resizeVideo(const QSize &size)
{
    record("resizeVideo", {size});
}
int VideoFake::getTotalVideoLengthInSeconds()
{
    return respond<int>("getTotalVideoLengthInSeconds");
}
int VideoFake::setProgressReportPeriod(int ms)
{
    return respond<int>("setProgressReportPeriod", {ms});
}
int VideoFake::start()
{
    return respond<int>("start");
}
int VideoFake::pause()
{
    return respond<int>("pause");
}
int VideoFake::resume()
{
    return respond<int>("resume");
}
int VideoFake::stop()
{
    return respond<int>("stop");
}
int VideoFake::moveTo(int seconds)
{
    return respond<int>("moveTo", {seconds});
}
int VideoFake::getVolume()
{
    return respond<int>("getVolume");
}
int VideoFake::setVolume(uint percent)
{
    return respond<int>("setVolume", {percent});
}
uint VideoFake::actionStatus()
{
    return respond<uint>("actionStatus");
}
void VideoFake::dropFpsForLoadBalance(int fps)
{
    record("dropFpsForLoadBalance", {fps});
}
