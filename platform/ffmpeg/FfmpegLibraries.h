#pragma once

#include <QtGlobal>

// The media libraries, loaded into the process on the first call of one of their functions rather than by
// the program loader at start. Every function of theirs that the program calls goes through an entry point
// of the same name (FfmpegEntryPoints.cpp) that looks the real one up here once. Nothing else changes for
// the callers: they include the libraries' headers and call their functions as before.
class FfmpegLibraries
{
public:
    // Loads the libraries unless they are loaded already; concurrent callers wait for the one load. A
    // library that cannot be loaded ends the program with the loader's message, as a missing library
    // did when the program loader refused to start it.
    static void load();

    // Loads them on a pool thread, so that the first recording or video does not wait for it on the GUI
    // thread. Returns at once.
    static void preloadInBackground();

    // Whether load() has finished.
    static bool isLoaded();

    // The real function called `name`, loading the libraries first. A name none of them has ends the
    // program: an entry point without its function is a build fault.
    template<typename Function>
    static Function entry(const char *name)
    {
        return reinterpret_cast<Function>(symbol(name));
    }

private:
    static void *symbol(const char *name);
};
