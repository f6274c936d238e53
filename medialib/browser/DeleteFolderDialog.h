#pragma once

#include <QDialog>
#include <QList>
#include <QTimer>

#include <memory>

namespace Ui {
class DeleteFolderDialog;
}

// Deletes a library folder tree behind a modal progress dialog: sub-folders first, then the files, then
// the folder itself. Files go through the media store, which refuses busy and queued files with its own
// message and removes each file's information file, thumbnail and index rows (and on request its online
// copies, once the file is gone); each folder removed loses its index rows. Links are removed as links and
// never followed, so nothing outside the tree is touched and a link cycle cannot loop.
//
// The work runs in slices of the dialog's own event loop so the bar paints. It cannot stop half-way, so
// the dialog cannot be closed while it runs; closed before it starts, it removes nothing.
class DeleteFolderDialog : public QDialog
{
    Q_OBJECT

public:
    // Leaves the dialog on screen long enough to be read before the first file goes.
    static constexpr int kStartDelayMs = 500;
    // Work per slice before the event loop gets a turn: the bar and the window repaint about 25 times a
    // second while a large tree goes, and the slices cost little against the file operations.
    static constexpr int kSliceMs = 40;

    explicit DeleteFolderDialog(QWidget *parent = nullptr);
    ~DeleteFolderDialog() override;

    // True when the folder is gone afterwards (also when it was not there to begin with, with no dialog
    // shown). A folder left behind is reported to the user once, here.
    bool deleteFolder(const QString &folder, bool removeLinks);
    // The files, links and folders below path, without following links; 0 when path is no folder.
    static qint64 countEntries(const QString &path);

public Q_SLOTS:
    void startDeletion();

protected:
    void reject() override;
    void closeEvent(QCloseEvent *event) override;

private:
    struct Step
    {
        QString path;
        bool isFolder;
    };
    static void planTree(const QString &path, QList<Step> &plan);
    void runSlice();
    bool deleteFile(const QString &path);
    bool removeFolderEntry(const QString &path);
    void showStatus(const QString &path);
    void advance();

    std::unique_ptr<Ui::DeleteFolderDialog> ui;
    QString m_folder;
    qint64 m_total = 0;
    bool m_removeLinks = false;
    bool m_result = false;
    bool m_running = false;
    QList<Step> m_plan;
    qsizetype m_nextStep = 0;
    qint64 m_stepsDone = 0;
    // Armed for each showing and stopped when it ends: a dialog dismissed before the start removes nothing.
    QTimer m_startTimer;
};
