#pragma once

#include <QUrl>

class QWidget;

// The grading service's login page, which the program opens in the desktop's browser after lending the
// service the document camera. The address is chosen when the program is built (the CMake cache value
// QUILLO_GRADING_LOGIN_URL, empty unless given); every part of the program that opens the page asks here.
QUrl gradingServiceLoginPage();
// Stands in another address for this process: tests play a build with an address or without one.
void setGradingServiceLoginPage(const QUrl &page);
// Whether the build has an address; without one the user is told so in a box over parent.
bool gradingServiceSetUp(QWidget *parent);
// Opens the page in the desktop's browser; a page that did not open is said so in a box over parent, and
// false comes back.
bool openGradingServiceLoginPage(QWidget *parent);
