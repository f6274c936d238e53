// The set-up of a libFuzzer program before its first input: the same private folders and headless
// platform as a test, and one application object for the whole run.
#include "TestEnvironment.h"

#include <QApplication>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    if (!TestEnvironment::prepare())
        std::exit(1);
    // libFuzzer's own arguments are not Qt's: the application sees the program name only.
    static int argc = 1;
    static char name[] = "quillo-fuzz";
    static char *argv[] = {name, nullptr};
    // Kept until the process ends; libFuzzer leaves through exit(), after which nothing may use it.
    static QApplication *application = new QApplication(argc, argv);
    application->setAttribute(Qt::AA_Use96Dpi, true);
    return 0;
}
