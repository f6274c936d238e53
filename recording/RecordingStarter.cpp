#include "RecordingStarter.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QTimer>

namespace {

// One digit per second.
constexpr int kStepMs = 1000;

} // namespace

RecordingStarter::RecordingStarter(QWidget *parent, bool keepBackground, int width, int height)
    : QWidget(parent, Qt::Dialog | Qt::FramelessWindowHint)
    , fixedBackground(keepBackground)
{
    setupUi(this);
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_TranslucentBackground);
    if (!fixedBackground) {
        // Out of the layout, the spacer has no owner left.
        gridLayout_2->removeItem(verticalSpacer);
        delete verticalSpacer;
        verticalSpacer = nullptr;
    } else {
        greyBack->setGeometry(0, 0, width, height);
    }
}

void RecordingStarter::setGeometry(const QRect &rect)
{
    setGeometry(rect.x(), rect.y(), rect.width(), rect.height());
}

void RecordingStarter::setGeometry(int x, int y, int w, int h)
{
    QWidget::setGeometry(x, y, w, h);
    countContainer->setGeometry(0, 0, w, h);
    if (!fixedBackground)
        greyBack->setGeometry(0, 0, w, h);
}

void RecordingStarter::start()
{
    QTimer::singleShot(kStepMs, this, &RecordingStarter::timeout);
}

void RecordingStarter::timeout()
{
    if (finished)
        return;
    --count;
    secToGo->setText(
        QStringLiteral("<span style=\" font-size:150pt; font-weight:600; color:#ffffff;\">%1</span>").arg(count));
    if (count >= 1)
        QTimer::singleShot(kStepMs, this, &RecordingStarter::timeout);
    else
        finish(true);
}

void RecordingStarter::quilloMoved(const QPoint &position)
{
    move(position);
}

void RecordingStarter::finish(bool start)
{
    if (finished)
        return;
    finished = true;
    hide();
    deleteLater();
    emit startRecording(start);
}

void RecordingStarter::keyPressEvent(QKeyEvent *event)
{
    const bool escape = event->key() == Qt::Key_Escape;
    const bool altF4 = event->key() == Qt::Key_F4 && event->modifiers() == Qt::AltModifier;
    if (escape || altF4) {
        event->accept();
        finish(false);
        return;
    }
    // Every other key is swallowed: the count-down has no other use for it.
}

void RecordingStarter::closeEvent(QCloseEvent *event)
{
    // A window manager turns Alt+F4 into a close request.
    finish(false);
    event->accept();
}
