#include "AudioInputs.h"

#include <QAudioDevice>
#include <QMediaDevices>

int AudioInputs::indexOf(const QString &description)
{
    const QList<QAudioDevice> inputs = QMediaDevices::audioInputs();
    for (qsizetype i = 0; i < inputs.size(); ++i) {
        if (inputs.at(i).description() == description)
            return int(i);
    }
    return -1;
}
