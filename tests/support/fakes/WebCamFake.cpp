#include "WebCamFake.h"

#include <QWidget>

WebCamFake::WebCamFake()
    : m_view(new QWidget)
{
}

WebCamFake::~WebCamFake()
{
    delete m_auxView.data();
    delete m_view.data();
}

void WebCamFake::setWebCamList(const QList<QString> &names)
{
    provideAnswer(QStringLiteral("getWebCamList"), names);
    provideAnswer(QStringLiteral("webCamCount"), int(names.size()));
    emit webCamListChanged(names);
}

void WebCamFake::release()
{
    record("release");
}
QWidget *WebCamFake::webCamWidget()
{
    record("webCamWidget");
    return m_view;
}

void WebCamFake::showWebCam()
{
    record("showWebCam");
    if (m_view)
        m_view->show();
}

void WebCamFake::hideWebCam()
{
    record("hideWebCam");
    if (m_view)
        m_view->hide();
}

QSize WebCamFake::webCamWidgetSizeFor(const QSize &area)
{
    return respond<QSize>("webCamWidgetSizeFor", {area}, area);
}
void WebCamFake::resizeWebCamWidget(const QSize &size)
{
    record("resizeWebCamWidget", {size});
}
int WebCamFake::webCamCount()
{
    return respond<int>("webCamCount");
}
QList<QString> WebCamFake::getWebCamList()
{
    return respond<QList<QString>>("getWebCamList");
}
int WebCamFake::currentWebCamIndex()
{
    return respond<int>("currentWebCamIndex");
}
int WebCamFake::openWebCam(int index)
{
    return respond<int>("openWebCam", {index});
}

QWidget *WebCamFake::auxWebCamWidget(QWidget *parent)
{
    record("auxWebCamWidget", {QVariant::fromValue(parent)});
    if (!m_auxView) {
        m_auxView = new QWidget(parent);
        m_auxView->show();
    }
    return m_auxView;
}

void WebCamFake::closeAuxWebCam()
{
    record("closeAuxWebCam");
    delete m_auxView.data();
}

QSize WebCamFake::auxWebCamWidgetSizeFor(const QSize &area)
{
    return respond<QSize>("auxWebCamWidgetSizeFor", {area}, area);
}

void WebCamFake::resizeAuxWebCamWidget(const QSize &size)
{
    record("resizeAuxWebCamWidget", {size});
}
int WebCamFake::currentAuxWebCamIndex()
{
    return respond<int>("currentAuxWebCamIndex");
}
int WebCamFake::openAuxWebCam(int index)
{
    return respond<int>("openAuxWebCam", {index});
}
