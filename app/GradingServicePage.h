#pragma once

#include <QUrl>

// The grading service's login page, which the program opens in the desktop's browser after lending the
// service the document camera. The address is chosen when the program is built (the CMake cache value
// QUILLO_GRADING_LOGIN_URL); every part of the program that opens the page asks here.
QUrl gradingServiceLoginPage();
