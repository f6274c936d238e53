#include "DialogWatchdog.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QtTest>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace {

// The sanitized build runs the same code several times slower, and its test runner allows each program three
// times as long (360 s against 120 s): its limits stretch alike, so a slow but working test is not failed.
#ifdef QUILLO_SANITIZED_TESTS
constexpr int kTimeScale = 3;
#else
constexpr int kTimeScale = 1;
#endif
// Once expired, a dialog opened afterwards (a retry box, the next step of a wizard) is ended this soon.
constexpr int kRepeatMs = 100;
// Enough of a message box's text to recognise it in a log line.
constexpr int kTextShown = 80;

bool isDialogWindow(const QWidget *widget)
{
    return widget->isWindow() && (qobject_cast<const QDialog *>(widget) || widget->isModal());
}

QString describe(const QWidget *widget)
{
    QString text =
        QStringLiteral("%1 \"%2\"").arg(QString::fromLatin1(widget->metaObject()->className()), widget->windowTitle());
    if (const auto *box = qobject_cast<const QMessageBox *>(widget))
        text += QStringLiteral(" saying \"%1\"").arg(box->text().left(kTextShown));
    return text;
}

} // namespace

class DialogWatchdog::Private : public QObject
{
public:
    Private(int timeoutMs, std::source_location armedAt);
    ~Private() override;

    bool eventFilter(QObject *watched, QEvent *event) override;
    void expire();
    void endDialogs();
    void noteOpenDialogs(const QWidget *showing, const QWidget *hiding);
    void watchDeadline();

    const int m_timeoutMs;
    const std::source_location m_armedAt;
    const QByteArray m_testFunction;
    QTimer m_timer;
    bool m_expired = false;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_disarmed = false;
    // Described on the GUI thread whenever a dialog shows, hides or is renamed, so that the deadline thread
    // never touches a widget.
    QString m_openDialogs;
    std::thread m_deadline;
};

DialogWatchdog::Private::Private(int timeoutMs, std::source_location armedAt)
    : m_timeoutMs(timeoutMs * kTimeScale)
    , m_armedAt(armedAt)
    , m_testFunction(QTest::currentTestFunction() ? QTest::currentTestFunction() : "no test function")
{
    noteOpenDialogs(nullptr, nullptr);
    qApp->installEventFilter(this);
    connect(&m_timer, &QTimer::timeout, this, &Private::expire);
    // A coarse timer may fire a twentieth early, before the limit its failure message names.
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.start(m_timeoutMs);
    m_deadline = std::thread([this] { watchDeadline(); });
}

DialogWatchdog::Private::~Private()
{
    {
        std::lock_guard lock(m_mutex);
        m_disarmed = true;
    }
    m_wake.notify_all();
    m_deadline.join();
}

bool DialogWatchdog::Private::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::Show || type == QEvent::Hide || type == QEvent::WindowTitleChange) {
        if (watched->isWidgetType() && isDialogWindow(static_cast<QWidget *>(watched))) {
            const auto *widget = static_cast<QWidget *>(watched);
            noteOpenDialogs(type == QEvent::Show ? widget : nullptr, type == QEvent::Hide ? widget : nullptr);
        }
    }
    return false;
}

// Whether a widget counts as visible while its own show or hide event is delivered is Qt's business: the
// widget being shown or hidden is taken as the event says.
void DialogWatchdog::Private::noteOpenDialogs(const QWidget *showing, const QWidget *hiding)
{
    QStringList open;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const QWidget *window : windows) {
        if (window != hiding && (window == showing || window->isVisible()) && isDialogWindow(window))
            open.append(describe(window));
    }
    std::lock_guard lock(m_mutex);
    m_openDialogs = open.isEmpty() ? QStringLiteral("no dialog is open") : open.join(QStringLiteral(", "));
}

void DialogWatchdog::Private::expire()
{
    if (!m_expired) {
        m_expired = true;
        QWidget *modal = QApplication::activeModalWidget();
        QString open;
        {
            std::lock_guard lock(m_mutex);
            open = m_openDialogs;
        }
        const QString message = QStringLiteral("DialogWatchdog: after %1 ms the guarded code still runs, in the "
                                               "modal loop of %2 (open: %3); every open dialog is ended with "
                                               "QDialog::Rejected")
                                    .arg(m_timeoutMs)
                                    .arg(modal ? describe(modal) : QStringLiteral("no modal widget"), open);
        QTest::qFail(qPrintable(message), m_armedAt.file_name(), int(m_armedAt.line()));
        m_timer.start(kRepeatMs);
    }
    endDialogs();
}

void DialogWatchdog::Private::endDialogs()
{
    // A dialog's rejected() handler may close or delete another window.
    QList<QPointer<QWidget>> windows;
    const QWidgetList all = QApplication::topLevelWidgets();
    for (QWidget *window : all)
        windows.append(window);
    for (const QPointer<QWidget> &window : std::as_const(windows)) {
        if (!window || !window->isVisible())
            continue;
        if (auto *dialog = qobject_cast<QDialog *>(window.data()))
            dialog->done(QDialog::Rejected);
        else if (window->isModal())
            window->close();
    }
}

void DialogWatchdog::Private::watchDeadline()
{
    std::unique_lock lock(m_mutex);
    const auto limit = std::chrono::steady_clock::now()
                       + std::chrono::milliseconds(m_timeoutMs + kAbortGraceMs * kTimeScale);
    if (m_wake.wait_until(lock, limit, [this] { return m_disarmed; }))
        return;
    std::fprintf(stderr,
                 "DialogWatchdog: the code armed at %s:%u in %s() still runs after %d ms and no event loop "
                 "ended its dialogs; aborting before the test runner's time limit. Open: %s\n",
                 m_armedAt.file_name(), unsigned(m_armedAt.line()), m_testFunction.constData(),
                 m_timeoutMs + kAbortGraceMs * kTimeScale, qPrintable(m_openDialogs));
    std::fflush(stderr);
    std::abort();
}

DialogWatchdog::DialogWatchdog(int timeoutMs, std::source_location armedAt)
    : d(std::make_unique<Private>(timeoutMs, armedAt))
{
}

DialogWatchdog::~DialogWatchdog() = default;

bool DialogWatchdog::expired() const
{
    return d->m_expired;
}
