#include "GradingServicePage.h"

QUrl gradingServiceLoginPage()
{
    return QUrl(QStringLiteral(QUILLO_GRADING_LOGIN_URL));
}
