#include "ScheduleManager.h"

#include "ui_ScheduleManager.h"

#include "MessageBoxes.h"
#include "ScheduleHost.h"
#include "ScheduleItem.h"
#include "ScheduleItemView.h"

#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QStandardItemModel>

namespace {

// What the exit question answers.
constexpr int kExitYes = 1000;
constexpr int kExitNo = -3000;
constexpr int kExitClosed = -1;

// A warning asking Yes or No, No by default. Without a window to carry it (none of the program's windows
// may be in front) it comes as the service's own box.
MessageBoxes::Request yesNoWarning(QWidget *parent, const QString &text, const QString &informativeText)
{
    MessageBoxes::Request question;
    question.parent = parent;
    question.fromService = parent == nullptr;
    question.icon = QMessageBox::Warning;
    question.title = ScheduleManager::tr("Warning");
    question.text = text;
    question.informativeText = informativeText;
    question.buttons = QMessageBox::Yes | QMessageBox::No;
    question.defaultButton = QMessageBox::No;
    return question;
}

} // namespace

ScheduleManager::ScheduleManager(ScheduleHost *host, const QString &dataFolder)
    : QWidget(nullptr, Qt::Tool)
    , m_host(host)
    , ui(std::make_unique<Ui::ScheduleManager>())
    , m_file(dataFolder)
{
    ui->setupUi(this);
    m_saveWarning = new QLabel(this);
    m_saveWarning->setObjectName(QStringLiteral("lblSaveFailed"));
    m_saveWarning->setWordWrap(true);
    m_saveWarning->setText(QStringLiteral("<font color='red'>%1</font>")
                               .arg(tr("The upload list could not be saved: queued jobs would be lost when Quillo "
                                       "closes. Quillo tries again at the next change.")
                                        .toHtmlEscaped()));
    m_saveWarning->hide();
    ui->gridLayout->addWidget(m_saveWarning, ui->gridLayout->rowCount(), 0, 1, ui->gridLayout->columnCount());
    load();

    m_model = new QStandardItemModel(0, 1, this);
    ui->treeView->setModel(m_model);
    connect(ui->treeView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ScheduleManager::selectionChanged);
    for (const auto &item : m_items) {
        ScheduleItemView *view = appendRow(item.get());
        Q_UNUSED(view);
    }

    handleOverdueJobs();

    connect(ui->btnClearAll, &QPushButton::clicked, this, &ScheduleManager::clearAllPressed);
    connect(ui->btnClear, &QPushButton::clicked, this, &ScheduleManager::clearPressed);
}

ScheduleManager::~ScheduleManager()
{
    // Pending jobs are stored as they stand (an upload under way as Uploading) and are due again at the
    // next start.
    save();
    m_views.clear();
    m_items.clear();
}

void ScheduleManager::load()
{
    m_items = m_file.load(m_host);
    for (const auto &item : m_items)
        connectItem(item.get());
}

ScheduleItemView *ScheduleManager::appendRow(ScheduleItem *item)
{
    auto *cell = new QStandardItem;
    cell->setEditable(false);
    m_model->appendRow(cell);
    auto *view = new ScheduleItemView;
    m_views.append(view);
    ui->treeView->setIndexWidget(m_model->index(m_model->rowCount() - 1, 0), view);
    refreshRow(item, view);
    syncSchdeuleItemWithThumbnail(item);
    connect(view, &ScheduleItemView::cancelRetryPressed, this, &ScheduleManager::cancelRetryPressed);
    return view;
}

void ScheduleManager::connectItem(ScheduleItem *item)
{
    connect(item, &ScheduleItem::progressUpdated, this, &ScheduleManager::progressUpdated);
    connect(item, &ScheduleItem::succeeded, this, &ScheduleManager::itemSucceeded);
    connect(item, &ScheduleItem::failed, this, &ScheduleManager::itemFailed);
    connect(item, &ScheduleItem::generateThumbnail, this, &ScheduleManager::syncSchdeuleItemWithThumbnail);
}

void ScheduleManager::handleOverdueJobs()
{
    const QDateTime now = m_host->currentDateTime();
    const auto overdue = [&now](const ScheduleItem *item) {
        return item->isPending() && now.secsTo(item->time()) <= 0;
    };
    if (std::none_of(m_items.begin(), m_items.end(), [&](const auto &item) { return overdue(item.get()); })) {
        startAll();
        return;
    }

    m_rescheduleDialog.prepare(now);
    const MessageBoxes::Request question = yesNoWarning(QApplication::activeWindow(),
                                                        tr("There are pending jobs passed the schedule."),
                                                        tr("Do you want to upload them immediately?"));
    if (MessageBoxes::exec(question) != QMessageBox::No || m_rescheduleDialog.exec() != QDialog::Accepted) {
        startAll();
        return;
    }

    const QDateTime chosen = m_rescheduleDialog.chosenDateTime();
    for (int row = 0; row < int(m_items.size()); ++row) {
        ScheduleItem *item = m_items[row].get();
        if (!overdue(item)) {
            item->start();
            continue;
        }
        // Only jobs still waiting move; a job the user cancelled or that ended stays as it is.
        item->reschedule(chosen, item->title(), item->author(), item->description(), item->keywords());
        syncSchdeuleItemWithThumbnail(item);
        refreshRow(item, m_views.at(row));
    }
    save();
}

void ScheduleManager::startAll()
{
    // start() may report at once (a past time uploads inside it) and those reports may change the list.
    const QList<ScheduleItem *> snapshot = items();
    for (ScheduleItem *item : snapshot) {
        if (rowOf(item) >= 0)
            item->start();
    }
}

void ScheduleManager::addJob(const QMap<uint, QDateTime> &times, const QString &path, bool isVideo,
                             const QString &title, const QString &author, const QString &description,
                             const QStringList &keywords)
{
    for (auto it = times.constBegin(); it != times.constEnd(); ++it) {
        m_items.push_back(std::make_unique<ScheduleItem>(m_host, path, int(it.key()), isVideo, it.value(), title,
                                                         author, description, keywords));
        ScheduleItem *item = m_items.back().get();
        appendRow(item);
        connectItem(item);
        item->start();
    }
    save();
}

int ScheduleManager::confirmExit()
{
    if (std::none_of(m_items.begin(), m_items.end(), [](const auto &item) { return item->isPending(); }))
        return 0;
    // The jobs come back at the next start only from the file: one that cannot be written is said here,
    // while the user can still stay.
    QString pending = tr("There are jobs scheduled to be uploaded.");
    if (!save())
        pending += QLatin1Char(' ') + tr("The upload list could not be saved: they will be lost.");
    // Asked while the program closes: its own box, whatever window is in front.
    switch (MessageBoxes::exec(yesNoWarning(nullptr, tr("Do you really want to exit Quillo?"), pending))) {
    case QMessageBox::Yes:
        return kExitYes;
    case QMessageBox::No:
        return kExitNo;
    default:
        return kExitClosed;
    }
}

void ScheduleManager::showWindow()
{
    if (!m_placed) {
        m_placed = true;
        // Over the program's window when there is one in front, else in the middle of the screen.
        QWidget *over = QApplication::activeWindow();
        const QRect area = over ? over->frameGeometry()
                                : (screen() ? screen()->availableGeometry() : QRect(QPoint(0, 0), size()));
        move(area.center() - rect().center());
    }
    show();
    raise();
    activateWindow();
}

bool ScheduleManager::save()
{
    const bool saved = m_file.save(items());
    m_saveWarning->setVisible(!saved);
    return saved;
}

QList<ScheduleItem *> ScheduleManager::items() const
{
    QList<ScheduleItem *> list;
    list.reserve(qsizetype(m_items.size()));
    for (const auto &item : m_items)
        list.append(item.get());
    return list;
}

int ScheduleManager::rowOf(ScheduleItem *item) const
{
    for (size_t row = 0; row < m_items.size(); ++row) {
        if (m_items[row].get() == item)
            return int(row);
    }
    return -1;
}

void ScheduleManager::refreshRow(ScheduleItem *item, ScheduleItemView *view)
{
    const int state = item->state();
    view->setTitle(item->path().section(QLatin1Char('/'), -1));
    view->showProgressBar(state == JOB_UPLOADING);
    view->setServiceIcon(uint(item->service()));
    view->setState(state);
    view->setLink(item->result());
    view->setErrorText(item->errorCode());
    view->setScheduleTime(state, item->time());
    view->setCancelMode(item->isPending());
    view->showCancelRetryButton(state != JOB_SUCCEEDED);
    const int row = rowOf(item);
    if (QStandardItem *cell = m_model->item(row, 0)) {
        const bool finished = !item->isPending();
        cell->setSelectable(finished);
        if (!finished)
            ui->treeView->selectionModel()->select(m_model->index(row, 0), QItemSelectionModel::Deselect);
    }
}

void ScheduleManager::removeItems(QList<ScheduleItem *> items)
{
    while (!items.isEmpty()) {
        ScheduleItem *item = items.takeLast();
        const int row = rowOf(item);
        if (row < 0)
            continue;
        delete m_views.takeAt(row);
        m_model->removeRow(row);
        m_items.erase(m_items.begin() + row);
    }
    save();
}

void ScheduleManager::clearAllPressed()
{
    QList<ScheduleItem *> finished;
    for (const auto &item : m_items) {
        if (!item->isPending())
            finished.append(item.get());
    }
    removeItems(finished);
}

void ScheduleManager::clearPressed()
{
    QList<ScheduleItem *> selected;
    const QModelIndexList rows = ui->treeView->selectionModel()->selectedRows(0);
    for (const QModelIndex &index : rows) {
        if (index.row() < int(m_items.size()))
            selected.append(m_items[index.row()].get());
    }
    removeItems(selected);
}

void ScheduleManager::cancelRetryPressed(ScheduleItemView *view)
{
    const int row = int(m_views.indexOf(view));
    if (row < 0)
        return;
    ScheduleItem *item = m_items[row].get();
    const uint service = uint(item->service());
    const QString path = item->path();
    if (item->isPending()) {
        item->cancel();
        syncSchdeuleItemWithThumbnail(item);
        refreshRow(item, view);
        m_host->emitUploadCancelled(service, path);
    } else {
        item->uploadNow();
        // The retry may have failed at once and been handled already.
        if (rowOf(item) >= 0) {
            syncSchdeuleItemWithThumbnail(item);
            refreshRow(item, view);
        }
        m_host->emitUploadRetryTriggered(service, path);
    }
    save();
}

void ScheduleManager::progressUpdated(ScheduleItem *item, int value)
{
    const int row = rowOf(item);
    if (row < 0)
        return;
    refreshRow(item, m_views.at(row));
    m_views.at(row)->setProgress(value);
}

void ScheduleManager::itemSucceeded(ScheduleItem *item, QString id, QString url)
{
    const int row = rowOf(item);
    if (row >= 0) {
        refreshRow(item, m_views.at(row));
        save();
    }
    m_host->emitUploadSucceeded(uint(item->service()), item->path(), id, url);
}

void ScheduleManager::itemFailed(ScheduleItem *item)
{
    const int row = rowOf(item);
    if (row >= 0) {
        refreshRow(item, m_views.at(row));
        save();
    }
    m_host->emitUploadFailed(uint(item->service()), item->path());
}

void ScheduleManager::selectionChanged(const QItemSelection &, const QItemSelection &)
{
    ui->btnClear->setEnabled(!ui->treeView->selectionModel()->selectedRows(0).isEmpty());
}

void ScheduleManager::syncSchdeuleItemWithThumbnail(ScheduleItem *item)
{
    const int row = rowOf(item);
    if (row >= 0)
        m_views.at(row)->setThumbnail(item->thumbnail());
}
