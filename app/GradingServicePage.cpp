#include "GradingServicePage.h"

#include "MessageBoxes.h"

#include <QCoreApplication>
#include <QDesktopServices>

#include <optional>

namespace {

// Set only from the GUI thread, as every caller runs there.
std::optional<QUrl> &standIn()
{
    static std::optional<QUrl> page;
    return page;
}

void say(QWidget *parent, const char *text)
{
    MessageBoxes::Request request;
    request.parent = parent;
    request.icon = QMessageBox::Information;
    request.text = QCoreApplication::translate("GradingServicePage", text);
    MessageBoxes::exec(request);
}

} // namespace

QUrl gradingServiceLoginPage()
{
    if (standIn())
        return *standIn();
    return QUrl(QStringLiteral(QUILLO_GRADING_LOGIN_URL));
}

void setGradingServiceLoginPage(const QUrl &page)
{
    standIn() = page;
}

bool gradingServiceSetUp(QWidget *parent)
{
    const QUrl page = gradingServiceLoginPage();
    if (page.isValid() && !page.isEmpty())
        return true;
    say(parent, QT_TRANSLATE_NOOP("GradingServicePage", "The grading service is not set up in this build."));
    return false;
}

bool openGradingServiceLoginPage(QWidget *parent)
{
    if (QDesktopServices::openUrl(gradingServiceLoginPage()))
        return true;
    say(parent, QT_TRANSLATE_NOOP("GradingServicePage",
                                  "The grading service's login page could not be opened.\nThe DocCam is taken back."));
    return false;
}
