#pragma once

#include <QByteArray>
#include <QUrl>

// Stands in for the person's browser on a permission page: follows the redirects as a browser does (the
// consent page sends it back to the program's loopback listener) and keeps the last page.
class TestBrowser
{
public:
    struct Page
    {
        int status = 0; // 0 when a page did not answer within the wait
        QByteArray body;
        QUrl url;
    };

    static Page open(QUrl url, int maxHops = 5);
};
