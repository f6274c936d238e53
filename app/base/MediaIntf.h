#pragma once

#include <QString>

// One media file or folder as it travels between the areas of the program. Reference-counted by hand:
// whoever creates or receives a record owns one reference and gives it back with release().
class MediaIntf
{
public:
    virtual void addRef() = 0;
    // At the last reference the record deletes itself.
    virtual void release() = 0;
    // Holds the file open for reading and writing; nests. 1 on success, -2000 when the file cannot be
    // opened that way.
    virtual int lockFile() = 0;
    virtual void unlockFile() = 0;
    virtual QString path() const = 0;
    virtual ~MediaIntf() {}
};
