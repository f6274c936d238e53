#pragma once

#include <QDialog>

#include <memory>

class QDateEdit;
class QTimeEdit;

namespace Ui {
class UploadNowOrReschedule;
}

// Asks for a new date and time for upload jobs whose time passed while the program was not running. OK
// accepts the time in its two edits; closing it otherwise rejects it (the jobs then upload at once).
class UploadNowOrReschedule : public QDialog
{
    Q_OBJECT

public:
    explicit UploadNowOrReschedule(QWidget *parent = nullptr);
    ~UploadNowOrReschedule() override;

    // Both edits at now, no date before today, and the size fixed to what that lays out to.
    void prepare(const QDateTime &now);
    // The date and time the edits show.
    QDateTime chosenDateTime() const;

    QTimeEdit *timeEdit() const;
    QDateEdit *dateEdit() const;

private:
    std::unique_ptr<Ui::UploadNowOrReschedule> ui;
};
