#include "UploadServiceParameters.h"

#include "UploadBuildConfig.h"

QList<UploadServiceParameters::Parameter> UploadServiceParameters::all()
{
    const QString youtube = QStringLiteral("youtube");
    const QString picasa = QStringLiteral("picasa");
    const QString facebook = QStringLiteral("facebook");
    const QString dropbox = QStringLiteral("dropboxOAuth");
    const QString twitpic = QStringLiteral("twitpic");
    const auto option = [](const char *value, const char *name) {
        return std::pair<QString, QString>(QString::fromUtf8(value), QString::fromLatin1(name));
    };
    const auto googleId = option(QUILLO_GOOGLE_CLIENT_ID, "QUILLO_GOOGLE_CLIENT_ID");
    const auto googleSecret = option(QUILLO_GOOGLE_CLIENT_SECRET, "QUILLO_GOOGLE_CLIENT_SECRET");
    const auto facebookId = option(QUILLO_FACEBOOK_APP_ID, "QUILLO_FACEBOOK_APP_ID");
    const auto facebookToken = option(QUILLO_FACEBOOK_CLIENT_TOKEN, "QUILLO_FACEBOOK_CLIENT_TOKEN");
    const auto dropboxKey = option(QUILLO_DROPBOX_APP_KEY, "QUILLO_DROPBOX_APP_KEY");
    const auto dropboxSecret = option(QUILLO_DROPBOX_APP_SECRET, "QUILLO_DROPBOX_APP_SECRET");
    return {
        {youtube, QStringLiteral("devkey"), googleId.first, googleId.second},
        {picasa, QStringLiteral("devkey"), googleId.first, googleId.second},
        {facebook, QStringLiteral("appID"), facebookId.first, facebookId.second},
        {dropbox, QStringLiteral("consumer_key"), dropboxKey.first, dropboxKey.second},
        {dropbox, QStringLiteral("consumer_secrete"), dropboxSecret.first, dropboxSecret.second},
        {dropbox, QStringLiteral("app_name"), QStringLiteral("LumoQuillo"), QString()},
        // The picture-posting service is gone: its keys stay, empty.
        {twitpic, QStringLiteral("twitpic_api_key"), QString(), QString()},
        {twitpic, QStringLiteral("consumer_key"), QString(), QString()},
        {twitpic, QStringLiteral("consumer_secrete"), QString(), QString()},
        {youtube, QStringLiteral("client_secret"), googleSecret.first, googleSecret.second},
        {picasa, QStringLiteral("client_secret"), googleSecret.first, googleSecret.second},
        {facebook, QStringLiteral("client_token"), facebookToken.first, facebookToken.second},
    };
}

QString UploadServiceParameters::buildOption(const QString &service, const QString &key)
{
    const QList<Parameter> parameters = all();
    for (const Parameter &parameter : parameters) {
        if (parameter.service == service && parameter.key == key)
            return parameter.buildOption;
    }
    return {};
}
