#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class DeleteInfoDialog;
}

// Asks before a library folder that holds files needing special care is deleted: files in the upload
// queue, non-media and hidden media files, read-only files (one tick for each group present), and whether
// the online copies of the files uploaded before go as well. The caller fills it with setCounts, runs it
// and then reads the two answers.
class DeleteInfoDialog : public QDialog
{
    Q_OBJECT

public:
    explicit DeleteInfoDialog(QWidget *parent = nullptr);
    ~DeleteInfoDialog() override;

    void setCounts(const QString &name, int uploading, int nonMedia, int hidden, int uploadedBefore, int readOnly,
                   int total);

    // Only OK confirms: closing the window or Escape declines whatever is ticked, so the user can always
    // back out, also when no tick is required.
    bool deleteConfirmed() const { return m_deleteConfirmed; }
    bool removeLinks() const { return m_removeLinks; }

public Q_SLOTS:
    void checkStatus();

private:
    void confirm();

    std::unique_ptr<Ui::DeleteInfoDialog> ui;
    bool m_deleteConfirmed = false;
    bool m_removeLinks = false;
    int m_uploading = 0;
    int m_nonMedia = 0;
    int m_hidden = 0;
    int m_uploadedBefore = 0;
    int m_readOnly = 0;
    int m_total = 0;
};
