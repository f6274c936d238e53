#pragma once

// What a survey of a folder about to be deleted found that needs the user's attention.
struct DeleteCounts
{
    int nonMedia = 0;
    int hiddenMedia = 0;
    int uploadedBefore = 0;
    int uploading = 0;
    int readOnly = 0;
    int total = 0;
};
