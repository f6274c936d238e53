#include "Quillo.h"
#include "ui_Quillo.h"

#include "AnnotationIntf.h"
#include "GradingServicePage.h"
#include "LumoVisionIntf.h"
#include "MessageBoxes.h"

// Quillo's cameras: the document camera's connection, zoom, rotation and mirror as its drawing follows
// them, the web cam's list, and the document camera lent to the grading service.

void Quillo::visionZoomRatioChanged(double ratio)
{
    if (m_docCamCanvas)
        m_annotation->setCanvasScale(m_docCamCanvas, ratio);
}

void Quillo::visionRotationChanged(uint degrees)
{
    if (m_docCamCanvas)
        m_annotation->setCanvasRotation(m_docCamCanvas, degrees);
    layoutPanes();
}

void Quillo::visionMirrorChanged(bool mirrored)
{
    if (m_docCamCanvas)
        m_annotation->setCanvasMirrored(m_docCamCanvas, mirrored);
}

void Quillo::getWebCamListChanged(const QList<QString> &)
{
    layoutPanes();
}

void Quillo::curWebCamDisconnected()
{
    layoutPanes();
}

void Quillo::getDocCamConnected(const QString &)
{
    if (m_docCamCanvas)
        m_docCamCanvas->show();
    ui->actionGradeCam->setEnabled(true);
    layoutPanes();
}

void Quillo::getDocCamDisConntect()
{
    if (m_docCamCanvas) {
        m_docCamCanvas->hide();
        m_annotation->clearCanvas(m_docCamCanvas, true, true);
    }
    ui->actionGradeCam->setEnabled(false);
    m_docCamLent = false;
    showGradeCamState();
    if (!m_widgetMode)
        layoutPanes();
}

void Quillo::showGradeCamState()
{
    ui->actionGradeCam->setText(m_docCamLent ? tr("Reconnect") : tr("GradeCam"));
}

void Quillo::actionGradeCamClicked()
{
    if (!m_docCamLent) {
        if (!gradingServiceSetUp(this))
            return;
        MessageBoxes::Request request;
        request.text = tr("The DocCam will be disconnected from\n Quillo while we take you to the Lumo\n "
                          "Gradecam Insight login page. Are you\n sure you want to proceed?");
        request.buttons = QMessageBox::Cancel | QMessageBox::Yes;
        if (MessageBoxes::exec(request) != QMessageBox::Yes || m_docCam->releaseDocCam() < 0)
            return;
        m_docCamLent = openGradingServiceLoginPage(this) || !retryDocCamReconnect();
    } else {
        if (!retryDocCamReconnect())
            return;
        m_docCamLent = false;
    }
    showGradeCamState();
}

bool Quillo::retryDocCamReconnect()
{
    while (m_docCam->reconnectDocCam() < 0) {
        MessageBoxes::Request request;
        request.text = tr("Quillo can not reconnect to the DocCam.\n Make sure you are logged out of \n Gradecam.");
        request.buttons = QMessageBox::Cancel | QMessageBox::Retry;
        if (MessageBoxes::exec(request) != QMessageBox::Retry)
            return false;
    }
    return true;
}
