#pragma once

#include <QString>

// The sound server's inputs as the program's microphone sees them.
class AudioInputs
{
public:
    // The input of that description, as an index among the inputs; -1 when there is none.
    static int indexOf(const QString &description);
};
