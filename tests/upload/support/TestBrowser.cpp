#include "TestBrowser.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTest>

#include <memory>

TestBrowser::Page TestBrowser::open(QUrl url, int maxHops)
{
    QNetworkAccessManager browser;
    Page page;
    for (int hop = 0; hop < maxHops; ++hop) {
        QNetworkRequest request(url);
        request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
        std::unique_ptr<QNetworkReply> reply(browser.get(request));
        if (!QTest::qWaitFor([&reply] { return reply->isFinished(); }, 10000))
            return page;
        page.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        page.body = reply->readAll();
        page.url = url;
        const QByteArray location = reply->rawHeader("Location");
        if (page.status != 302 || location.isEmpty())
            return page;
        url = url.resolved(QUrl::fromEncoded(location));
    }
    return page;
}
