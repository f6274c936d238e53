#pragma once

#include "Canvas.h"
#include "CanvasEditor.h"
#include "CanvasView.h"

#include <QtTest>

// A shown, see-through drawing surface registered with an editor, as the annotation service builds
// them, with mouse helpers that speak scene coordinates.
struct EditorSurface
{
    explicit EditorSurface(CanvasEditor &editor, const QSize &size = QSize(800, 600))
    {
        const int flags = CanvasView::TRANSPARENT | CanvasView::NO_SCROLL_BARS;
        window.resize(size);
        view = new CanvasView(0, &flags, &window);
        canvas = new Canvas(view);
        editor.addView(view);
        view->attachCanvas(canvas);
        view->setFrameShape(QFrame::NoFrame);
        view->resize(size);
        canvas->setSceneRect(0, 0, size.width(), size.height());
        window.show();
        if (!QTest::qWaitForWindowExposed(&window))
            qWarning("surface window not exposed");
    }

    QWidget *port() const { return view->viewport(); }
    QPoint at(const QPointF &scenePos) const { return view->mapFromScene(scenePos); }
    void press(const QPointF &p, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(port(), button, {}, at(p));
    }
    void move(const QPointF &p) { QTest::mouseMove(port(), at(p)); }
    void release(const QPointF &p, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseRelease(port(), button, {}, at(p));
    }
    void drag(const QList<QPointF> &points, Qt::MouseButton button = Qt::LeftButton)
    {
        press(points.first(), button);
        for (int i = 1; i < points.size(); ++i)
            move(points.at(i));
        release(points.last(), button);
    }
    void click(const QPointF &p) { QTest::mouseClick(port(), Qt::LeftButton, {}, at(p)); }

    QWidget window;
    CanvasView *view;
    Canvas *canvas;
};
