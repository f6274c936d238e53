#include "MediaLibScrollArea.h"

#include <QApplication>
#include <QGridLayout>
#include <QMutexLocker>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>

MediaLibScrollArea::MediaLibScrollArea(QWidget *parent)
    : QWidget(parent)
    , layout(new QGridLayout(this))
    , verticalBar(new QScrollBar(Qt::Vertical, this))
    , horizontalBar(new QScrollBar(Qt::Horizontal, this))
    , viewport(new QWidget(this))
{
    QMutexLocker locker(&mutex);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(viewport, 0, 0);
    placeBar(verticalBar, Qt::Vertical);
    placeBar(horizontalBar, Qt::Horizontal);
    connect(verticalBar, &QScrollBar::valueChanged, this, &MediaLibScrollArea::emitScrollBarValueChanged);
    connect(horizontalBar, &QScrollBar::valueChanged, this, &MediaLibScrollArea::emitScrollBarValueChanged);
    // A turn over the bar itself scrolls as far as one over the content.
    verticalBar->installEventFilter(this);
}

MediaLibScrollArea::~MediaLibScrollArea()
{
    QMutexLocker locker(&mutex);
    if (widget && widget->parentWidget() == viewport)
        widget->setParent(nullptr);
    widget = nullptr;
    delete layout;
    layout = nullptr;
    delete verticalBar;
    verticalBar = nullptr;
    delete horizontalBar;
    horizontalBar = nullptr;
    delete viewport;
    viewport = nullptr;
}

void MediaLibScrollArea::placeBar(QScrollBar *bar, Qt::Orientation o)
{
    if (o == Qt::Horizontal)
        layout->addWidget(bar, 1, 0, 1, 2);
    else
        layout->addWidget(bar, 0, 1);
}

QScrollBar *MediaLibScrollArea::barOf(Qt::Orientation o) const
{
    if (o == Qt::Horizontal)
        return horizontalBar;
    if (o == Qt::Vertical)
        return verticalBar;
    return nullptr;
}

bool MediaLibScrollArea::setWidget(QWidget *w)
{
    QMutexLocker locker(&mutex);
    widget = w;
    if (w) {
        if (viewport) {
            w->setParent(viewport);
            w->resize(viewport->size());
            w->show();
        } else {
            m_lastError = NoViewport;
        }
    }
    return true;
}

bool MediaLibScrollArea::setScrollBarValue(int value, Qt::Orientation o)
{
    QMutexLocker locker(&mutex);
    QScrollBar *bar = barOf(o);
    if (!bar) {
        m_lastError = NoSuchBar;
        return false;
    }
    // The bar relays the value through its own valueChanged; the lock is not needed by that path.
    locker.unlock();
    bar->setValue(value);
    if (bar->value() != value) {
        m_lastError = ValueNotSet;
        return false;
    }
    return true;
}

bool MediaLibScrollArea::setScrollBarVisible(bool visible, Qt::Orientation o)
{
    QMutexLocker locker(&mutex);
    QScrollBar *bar = barOf(o);
    if (!bar) {
        m_lastError = VisibilityNotChanged;
        return false;
    }
    if (bar->isEnabled() == visible)
        return true;
    bar->setVisible(visible);
    if (visible) {
        placeBar(bar, o);
    } else {
        layout->removeWidget(bar);
        locker.unlock();
        bar->setValue(0);
        locker.relock();
    }
    bar->setEnabled(visible);
    if (bar->isEnabled() != visible) {
        m_lastError = VisibilityNotChanged;
        return false;
    }
    return true;
}

QScrollBar *MediaLibScrollArea::scrollBar(Qt::Orientation o)
{
    QScrollBar *bar = barOf(o);
    if (!bar)
        m_lastError = NoSuchBar;
    return bar;
}

bool MediaLibScrollArea::setScrollBar(QScrollBar *bar, Qt::Orientation o)
{
    QMutexLocker locker(&mutex);
    if (!bar || bar->orientation() != o || (o != Qt::Horizontal && o != Qt::Vertical))
        return false;
    QScrollBar *&slot = o == Qt::Horizontal ? horizontalBar : verticalBar;
    if (slot == bar)
        return true;
    layout->removeWidget(slot);
    delete slot;
    slot = bar;
    bar->setParent(this);
    placeBar(bar, o);
    // A replacement relays its value as the original bars do, or the view would stop following it.
    connect(bar, &QScrollBar::valueChanged, this, &MediaLibScrollArea::emitScrollBarValueChanged);
    if (o == Qt::Vertical)
        bar->installEventFilter(this);
    bar->show();
    return true;
}

bool MediaLibScrollArea::setScrollBarRange(int min, int max, Qt::Orientation o)
{
    if (max <= min || min < 0) {
        setScrollBarVisible(false, o);
        update();
        return false;
    }
    setScrollBarVisible(true, o);
    QMutexLocker locker(&mutex);
    QScrollBar *bar = barOf(o);
    if (!bar) {
        m_lastError = NoSuchBar;
        return false;
    }
    const int oldSpan = bar->maximum() - bar->minimum();
    // A bar that had no room yet starts at the top instead of dividing by zero.
    const int newValue = oldSpan > 0 ? int(double(max - min) / oldSpan * bar->value()) : 0;
    bar->setRange(min, max);
    if (bar->minimum() != min || bar->maximum() != max) {
        m_lastError = RangeNotSet;
        return false;
    }
    if (viewport) {
        const int page = o == Qt::Horizontal ? viewport->width() : viewport->height();
        bar->setPageStep(page);
        if (bar->pageStep() != page) {
            m_lastError = PageStepNotSet;
            return false;
        }
    }
    // The value change reaches the view, which may lay out and report a new range: not under the lock.
    locker.unlock();
    bar->setValue(newValue);
    return true;
}

void MediaLibScrollArea::emitScrollBarValueChanged(int value)
{
    QObject *from = sender();
    if (from && from == verticalBar)
        Q_EMIT scrollBarValueChanged(value, Qt::Vertical);
    else if (from && from == horizontalBar)
        Q_EMIT scrollBarValueChanged(value, Qt::Horizontal);
    else
        m_lastError = UnknownSender;
}

void MediaLibScrollArea::emitSizeChanged()
{
    if (viewport)
        Q_EMIT sizeChanged(viewport->size());
}

void MediaLibScrollArea::resizeEvent(QResizeEvent *event)
{
    if (viewport) {
        if (widget)
            widget->resize(viewport->size());
        QTimer::singleShot(kSizeReportDelayMs, this, &MediaLibScrollArea::emitSizeChanged);
    }
    QWidget::resizeEvent(event);
}

bool MediaLibScrollArea::scrollByWheel(QWheelEvent *event)
{
    if (m_wheelLineHeight <= 0 || !verticalBar || !verticalBar->isEnabled())
        return false;
    m_wheelAngle += event->angleDelta().y();
    const int notches = m_wheelAngle / QWheelEvent::DefaultDeltasPerStep;
    m_wheelAngle -= notches * QWheelEvent::DefaultDeltasPerStep;
    if (notches != 0) {
        const int lines = notches * QApplication::wheelScrollLines();
        verticalBar->setValue(verticalBar->value() - lines * m_wheelLineHeight);
    }
    return true;
}

void MediaLibScrollArea::wheelEvent(QWheelEvent *event)
{
    if (scrollByWheel(event))
        event->accept();
    else
        QWidget::wheelEvent(event);
}

bool MediaLibScrollArea::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == verticalBar && event->type() == QEvent::Wheel && scrollByWheel(static_cast<QWheelEvent *>(event)))
        return true;
    return QWidget::eventFilter(watched, event);
}
