#pragma once

#include "AccountRecord.h"
#include "UploadResult.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QStringList>

#include <memory>

class SNService;
class UploadProcess;

namespace Ui {
class UploadProgressBar;
}

// The immediate upload of one file to several services in turn, while the user watches a bar for the
// current service and one for the whole upload. The creator shows it, calls uploadTo() once per service
// (each returns when that service has been tried), takes results() and destroys it. Escape or the close
// button cancel the running service and every later one; the dialog stays until its creator is done.
class UploadProgressBar : public QDialog
{
    Q_OBJECT

public:
    UploadProgressBar(int serviceCount, const QString &appName, const QString &filePath, const QString &title,
                      const QString &author, const QString &description, const QStringList &keywords,
                      QWidget *parent = nullptr);
    ~UploadProgressBar() override;

    void uploadTo(SNService *service, const AccountRecord &account, uint serviceBit, bool isVideo);
    void updateProgress(const QString &name, const QString &serviceName, int ignored, int percent);

    bool isCancelled() const { return m_cancelled; }
    // One entry per service tried, in the order tried.
    QList<UploadResult> results() const { return m_results; }

public Q_SLOTS:
    void reject() override;

private:
    std::unique_ptr<Ui::UploadProgressBar> ui;
    int m_serviceCount;
    // Deletes itself once its job can no longer report to it, possibly before this dialog goes.
    QPointer<UploadProcess> m_currentProcess;
    QString m_appName;
    QString m_filePath;
    QString m_title;
    QString m_author;
    QString m_description;
    QStringList m_keywords;
    bool m_cancelled = false;
    QList<UploadResult> m_results;
    int m_completedServices = 0;
};
