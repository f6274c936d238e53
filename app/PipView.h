#pragma once

#include <QFrame>

#include <memory>

namespace Ui {
class PipView;
}

// The picture-in-picture frame that holds the web-cam view over the document camera. Its move button, in
// its bottom-right corner, walks it round the window's corners.
class PipView : public QFrame
{
    Q_OBJECT

public:
    explicit PipView(QWidget *parent = nullptr);
    ~PipView() override;

    // Keeps the move button above the view placed inside.
    void raiseMoveButton();
    // Centres a child (the web-cam view) in the frame.
    void centerView(QWidget *child);
    // On to the next corner: top-right, bottom-right, bottom-left, top-left, and round again.
    void nextCorner();

    // 0 top-right, 1 bottom-right, 2 bottom-left, 3 top-left (see PaneLayout::Corner).
    int cornerIndex = 0;

Q_SIGNALS:
    void movePressed();

public Q_SLOTS:
    void btnPressed();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    std::unique_ptr<Ui::PipView> ui;
};
