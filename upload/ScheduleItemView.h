#pragma once

#include <QDateTime>
#include <QImage>
#include <QWidget>

#include <memory>

namespace Ui {
class ScheduleItemView;
}

// One row of the upload manager's list: the media file's picture and name, a line that is either a text
// (schedule, link or failure) or a progress bar, the service's badge, the job's state and a small button
// that cancels a pending job or retries a finished one. It holds no job; the manager fills it.
class ScheduleItemView : public QWidget
{
    Q_OBJECT

public:
    explicit ScheduleItemView(QWidget *parent = nullptr);
    ~ScheduleItemView() override;

    void setTitle(const QString &title);
    void showProgressBar(bool show);
    void setServiceIcon(uint serviceBit);
    void setState(int state);
    void setLink(const QString &url);
    void setErrorText(int code);
    void setScheduleTime(int state, const QDateTime &time);
    void setCancelMode(bool cancel);
    void showCancelRetryButton(bool show);
    void setProgress(int value);
    void setThumbnail(const QImage &image);

    // The texts of the row, for the manager's tests.
    QString titleText() const;
    QString lineText() const;
    QString stateText() const;
    bool isProgressShown() const;
    int progress() const;
    bool isButtonShown() const;
    bool isButtonEnabled() const;
    bool isInCancelMode() const;
    QString buttonToolTip() const;
    QImage thumbnailImage() const;

Q_SIGNALS:
    void cancelRetryPressed(ScheduleItemView *view);

public Q_SLOTS:
    void emitCancelRetryPressed();

private:
    std::unique_ptr<Ui::ScheduleItemView> ui;
    bool m_cancelMode = true;
};
