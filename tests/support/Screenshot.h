#pragma once

#include <QString>

class QWidget;

// Saves pictures of widgets for a person to look at; nothing compares them. They land in the build's
// screenshots/ folder (QUILLO_SCREENSHOT_DIR), which the build creates and no test empties, as
// "<test program>-<name>.png" so that tests running in parallel never write the same file:
//     QVERIFY(!Screenshot::save(&panel, "camera-panel").isEmpty());
// The widget is rendered with QWidget::grab, not taken from the screen, because the tests share one X
// server and run at the same time. On failure the current test is failed with the reason and an empty
// path comes back.
class Screenshot
{
public:
    static QString save(QWidget *widget, const QString &name);
    static QString folder();
};
