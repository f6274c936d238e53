#pragma once

#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <memory>

namespace Ui {
class MoveFileDialog;
}

// Copies or moves one file of the media library behind a modal progress dialog, a slice per timer tick so
// the window stays responsive. The copy is written under a temporary name next to the destination and
// renamed into place only once it is complete and flushed, so a failed or cancelled copy leaves an existing
// destination as it was and no partial file under the real name; a move removes its source only after
// that. The caller has settled the destination's name (and asked before replacing) beforehand.
class MoveFileDialog : public QDialog
{
    Q_OBJECT

public:
    enum Mode { ModeCopy = 0, ModeMove = 1 };
    // Time between slices: the window answers between them and the bar moves smoothly.
    static constexpr int kStepIntervalMs = 10;
    // The copy moves in 100 slices, but no slice moves more than this, so a slice of a large recording
    // stays a few milliseconds of the GUI thread's time.
    static constexpr qint64 kMaxChunkBytes = 4 * 1024 * 1024;
    // Longest destination path accepted.
    static constexpr int kMaxPathLength = 239;

    explicit MoveFileDialog(QWidget *parent = nullptr);
    ~MoveFileDialog() override;

    // Runs the whole copy or move (mode 0 or 1) and answers whether it completed. A source and destination
    // that are the same file already are left alone and count as done.
    bool start(const QString &source, const QString &destination, int mode);
    // For tests that run the slices without waiting.
    void setStepInterval(int ms) { m_stepIntervalMs = ms; }
    qint64 chunkSize() const { return m_chunkSize; }

public Q_SLOTS:
    void moveNext();

protected:
    void done(int result) override;

private:
    void setupTexts();
    QString statusText() const;
    void startStreams();
    void finish();
    void fail(const QString &reason);

    std::unique_ptr<Ui::MoveFileDialog> ui;
    QFile m_sourceFile;
    QSaveFile m_destinationFile;
    QFileInfo m_sourceInfo;
    QFileInfo m_destinationInfo;
    qint64 m_chunkSize = 0;
    qint64 m_sourceSize = 0;
    qint64 m_copied = 0;
    int m_mode = ModeCopy;
    bool m_completed = false;
    int m_stepIntervalMs = kStepIntervalMs;
};
