#include "MediaInfoFile.h"

#include "MediaImpl.h"

#include <QHash>
#include <QIODevice>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {

const QString kRoot = QStringLiteral("FileInformation");

// The number in a text, 0 when it is none.
qint64 number(const QString &text)
{
    return text.toLongLong();
}

using Apply = void (*)(MediaImpl &, const QString &);

// How the text of each known element goes into a record; null for any other name.
Apply applierFor(const QString &name)
{
    using M = MediaImpl;
    static const QHash<QString, Apply> kApply = {
        {QStringLiteral("FileTitle"), [](M &r, const QString &t) { r.setTitle(t); }},
        {QStringLiteral("FileAuthor"), [](M &r, const QString &t) { r.setAuthor(t); }},
        {QStringLiteral("FileDescription"), [](M &r, const QString &t) { r.setDescription(t); }},
        {QStringLiteral("FileKeyWord"), [](M &r, const QString &t) { r.setKeywords(t); }},
        {QStringLiteral("FileDuration"), [](M &r, const QString &t) { r.setDuration(number(t)); }},
        {QStringLiteral("FileType"),
         [](M &r, const QString &t) {
             const int type = t.toInt();
             if (type == M::TYPE_FOLDER || type == M::TYPE_IMAGE || type == M::TYPE_VIDEO)
                 r.setType(type);
         }},
        {QStringLiteral("picasaUrl"), [](M &r, const QString &t) { r.setPicasaUrl(QUrl(t)); }},
        {QStringLiteral("youtubeUrl"), [](M &r, const QString &t) { r.setYoutubeUrl(QUrl(t)); }},
        {QStringLiteral("facebookUrl"), [](M &r, const QString &t) { r.setFacebookUrl(QUrl(t)); }},
        {QStringLiteral("schooltubeUrl"), [](M &r, const QString &t) { r.setSchooltubeUrl(QUrl(t)); }},
        {QStringLiteral("dropboxUrl"), [](M &r, const QString &t) { r.setDropboxUrl(QUrl(t)); }},
        {QStringLiteral("twitpicUrl"), [](M &r, const QString &t) { r.setTwitpicUrl(QUrl(t)); }},
        {QStringLiteral("picasaID"), [](M &r, const QString &t) { r.setPicasaID(t); }},
        {QStringLiteral("youtubeID"), [](M &r, const QString &t) { r.setYoutubeID(t); }},
        {QStringLiteral("facebookID"), [](M &r, const QString &t) { r.setFacebookID(t); }},
        {QStringLiteral("schooltubeID"), [](M &r, const QString &t) { r.setSchooltubeID(t); }},
        {QStringLiteral("dropboxID"), [](M &r, const QString &t) { r.setDropboxID(t); }},
        {QStringLiteral("twitpicID"), [](M &r, const QString &t) { r.setTwitpicID(t); }},
        {QStringLiteral("youtubeQueued"),
         [](M &r, const QString &t) { r.setUploadStatus(M::SERVICE_YOUTUBE, t.toInt()); }},
        {QStringLiteral("facebookQueued"),
         [](M &r, const QString &t) { r.setUploadStatus(M::SERVICE_FACEBOOK, t.toInt()); }},
        {QStringLiteral("picasaQueued"),
         [](M &r, const QString &t) { r.setUploadStatus(M::SERVICE_PICASA, t.toInt()); }},
        {QStringLiteral("twitterQueued"),
         [](M &r, const QString &t) { r.setUploadStatus(M::SERVICE_TWITPIC, t.toInt()); }},
        {QStringLiteral("dropboxQueued"),
         [](M &r, const QString &t) { r.setUploadStatus(M::SERVICE_DROPBOX, t.toInt()); }},
    };
    return kApply.value(name, nullptr);
}

} // namespace

QByteArray MediaInfoFile::toXml(MediaImpl &record)
{
    QByteArray data;
    QXmlStreamWriter xml(&data);
    xml.setAutoFormatting(true);
    xml.writeStartDocument();
    xml.writeStartElement(kRoot);
    const auto element = [&xml](const char *name, const QString &text) {
        if (!text.contains(QLatin1Char('\r'))) {
            xml.writeTextElement(QString::fromLatin1(name), text);
            return;
        }
        // A carriage return written as it is comes back as a line feed (XML reads every line end as one);
        // as a character reference it comes back as itself.
        xml.writeStartElement(QString::fromLatin1(name));
        const QStringList lines = text.split(QLatin1Char('\r'));
        for (qsizetype i = 0; i < lines.size(); ++i) {
            if (i > 0)
                xml.writeEntityReference(QStringLiteral("#13"));
            if (!lines.at(i).isEmpty())
                xml.writeCharacters(lines.at(i));
        }
        xml.writeEndElement();
    };
    element("FileTitle", record.title());
    element("FileAuthor", record.author());
    element("FileKeyWord", record.keywords().join(QLatin1Char(',')));
    element("FileDuration", QString::number(record.duration()));
    element("FileType", QString::number(record.mediaType()));
    element("FileDescription", record.description());
    element("picasaUrl", record.picasaUrl().toString());
    element("youtubeUrl", record.youtubeUrl().toString());
    element("facebookUrl", record.facebookUrl().toString());
    element("schooltubeUrl", record.schooltubeUrl().toString());
    element("dropboxUrl", record.dropboxUrl().toString());
    element("twitpicUrl", record.twitpicUrl().toString());
    element("picasaID", record.picasaID());
    element("youtubeID", record.youtubeID());
    element("facebookID", record.facebookID());
    element("schooltubeID", record.schooltubeID());
    element("dropboxID", record.dropboxID());
    element("twitpicID", record.twitpicID());
    element("youtubeQueued", QString::number(record.uploadStatus(MediaImpl::SERVICE_YOUTUBE)));
    element("picasaQueued", QString::number(record.uploadStatus(MediaImpl::SERVICE_PICASA)));
    element("facebookQueued", QString::number(record.uploadStatus(MediaImpl::SERVICE_FACEBOOK)));
    element("twitterQueued", QString::number(record.uploadStatus(MediaImpl::SERVICE_TWITPIC)));
    element("dropboxQueued", QString::number(record.uploadStatus(MediaImpl::SERVICE_DROPBOX)));
    xml.writeEndElement();
    xml.writeEndDocument();
    return data;
}

void MediaInfoFile::read(QIODevice &device, MediaImpl &record)
{
    QXmlStreamReader xml(&device);
    while (!xml.atEnd() && !xml.hasError()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const Apply apply = applierFor(xml.name().toString());
        if (!apply)
            continue;
        // The text is taken only once the element is complete, so an element cut off by a fault is not
        // applied half-read.
        const QString text = xml.readElementText(QXmlStreamReader::SkipChildElements);
        if (!xml.hasError())
            apply(record, text);
    }
}
