#include "SNRequest.h"

#include <QFileInfo>
#include <QUuid>

namespace {

// A quoted header parameter: quotes and line breaks in a file name would end the header early.
QByteArray quoted(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    for (char &c : bytes) {
        if (c == '"' || c == '\\' || c == '\r' || c == '\n')
            c = '_';
    }
    return '"' + bytes + '"';
}

} // namespace

SNRequest &SNRequest::multipartFileBody(const QList<QPair<QString, QString>> &fields, const QString &fileField,
                                        const QString &path, const QString &fileName, const QByteArray &type)
{
    // A random boundary: the chance that a file holds it is nil.
    const QByteArray boundary = "quillo-" + QUuid::createUuid().toByteArray(QUuid::Id128);
    QByteArray prefix;
    for (const auto &[name, value] : fields) {
        prefix += "--" + boundary + "\r\nContent-Disposition: form-data; name=" + quoted(name) + "\r\n\r\n"
                  + value.toUtf8() + "\r\n";
    }
    prefix += "--" + boundary + "\r\nContent-Disposition: form-data; name=" + quoted(fileField)
              + "; filename=" + quoted(fileName) + "\r\nContent-Type: " + type + "\r\n\r\n";
    fileBody(path, 0, QFileInfo(path).size(), "multipart/form-data; boundary=" + boundary);
    filePrefix = prefix;
    fileSuffix = "\r\n--" + boundary + "--\r\n";
    return *this;
}
