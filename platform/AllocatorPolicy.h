#pragma once

// How the C library's allocator treats the program's memory. The program runs all day and handles pictures
// of 2 to 33 MB (camera frames, 4K stills, screen grabs, recorded and played video frames) on many threads;
// the allocator's defaults keep what such pictures leave behind instead of giving it back to the system.
class AllocatorPolicy
{
public:
    // Once, first thing in main(), before any thread exists: the settings are read by every arena made later.
    static void apply();
};
