#pragma once

#include "ScheduleFile.h"
#include "UploadNowOrReschedule.h"

#include <QDateTime>
#include <QItemSelection>
#include <QList>
#include <QMap>
#include <QStringList>
#include <QWidget>

#include <memory>
#include <vector>

class QLabel;
class QStandardItemModel;
class ScheduleHost;
class ScheduleItem;
class ScheduleItemView;

namespace Ui {
class ScheduleManager;
}

// The "Schedule Queue" window and the owner of every scheduled upload: it keeps the jobs in the schedule
// file across runs, shows one row per job, cancels and retries through the rows' buttons, clears finished
// jobs, asks at start-up what to do with jobs whose time passed while the program was closed, and passes
// each job's outcome on through the host's reports.
//
// A top-level tool window without parent: the window that happens to be active when the service starts may
// be a passing dialog, and the manager must outlive it.
class ScheduleManager : public QWidget
{
    Q_OBJECT

public:
    ScheduleManager(ScheduleHost *host, const QString &dataFolder);
    ~ScheduleManager() override;

    // One job per entry (service bit and its start time), in ascending bit order; the file is saved even
    // when the map is empty.
    void addJob(const QMap<uint, QDateTime> &times, const QString &path, bool isVideo, const QString &title,
                const QString &author, const QString &description, const QStringList &keywords);
    // 0 when no job is pending; else the answer to the exit question: 1000 yes, -3000 no, -1 closed.
    int confirmExit();
    // Shows and raises the window, over the program's window (or the screen) the first time.
    void showWindow();

    // Writes the schedule file; false when it could not be written. The window says so until a later save
    // (at the next change) succeeds.
    bool save();
    int rowOf(ScheduleItem *item) const;
    void refreshRow(ScheduleItem *item, ScheduleItemView *view);
    void removeItems(QList<ScheduleItem *> items);

    QList<ScheduleItem *> items() const;
    ScheduleItemView *viewAt(int row) const { return m_views.value(row); }
    QString scheduleFilePath() const { return m_file.path(); }

public Q_SLOTS:
    virtual void clearAllPressed();
    virtual void clearPressed();
    virtual void cancelRetryPressed(ScheduleItemView *view);
    virtual void progressUpdated(ScheduleItem *item, int value);
    virtual void itemSucceeded(ScheduleItem *item, QString id, QString url);
    virtual void itemFailed(ScheduleItem *item);
    virtual void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected);
    void syncSchdeuleItemWithThumbnail(ScheduleItem *item);

private:
    void load();
    ScheduleItemView *appendRow(ScheduleItem *item);
    void connectItem(ScheduleItem *item);
    void handleOverdueJobs();
    void startAll();

    ScheduleHost *m_host;
    std::unique_ptr<Ui::ScheduleManager> ui;
    QStandardItemModel *m_model = nullptr;
    std::vector<std::unique_ptr<ScheduleItem>> m_items;
    // Owned by the tree view as its index widgets; in the order of m_items.
    QList<ScheduleItemView *> m_views;
    ScheduleFile m_file;
    UploadNowOrReschedule m_rescheduleDialog;
    bool m_placed = false;
    // Owned by the window.
    QLabel *m_saveWarning = nullptr;
};
