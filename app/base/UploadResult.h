#pragma once

#include <QString>

// The outcome of one immediate upload to one service.
struct UploadResult
{
    QString filePath;
    // The service bit of this upload, never an error code.
    int code = 0;
    bool succeeded = false;
    // The identifier the service gave the uploaded copy; empty on failure or cancel.
    QString text1;
    // The web address of the uploaded copy; empty on failure or cancel.
    QString text2;
};
