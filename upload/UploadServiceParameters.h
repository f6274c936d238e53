#pragma once

#include <QList>
#include <QString>

// The parameters the upload service gives each service handle (SNService::setParameter), in the order it
// sets them: the keys of the service configuration, spelled as the library knows them ("consumer_secrete"
// included), then the keys this build adds for values that have none. Client ids and secrets come from the
// build's cache options; an empty one leaves its service unconfigured.
class UploadServiceParameters
{
public:
    struct Parameter
    {
        QString service;
        QString key;
        QString value;
        // The cache option the value comes from; empty for fixed values.
        QString buildOption;
    };

    static QList<Parameter> all();
    // The cache option behind a service's key; empty when the key has none.
    static QString buildOption(const QString &service, const QString &key);
};
