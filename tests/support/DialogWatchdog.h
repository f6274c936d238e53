#pragma once

#include <memory>
#include <source_location>

// Keeps a test from hanging in a dialog. Arm one around any code that may open a modal loop:
//     DialogWatchdog watchdog;
//     ModalAnswerer answerer(ModalAnswerer::clickButton("Yes"));
//     panel.deleteSelection();   // opens a dialog that exec()s
// When the code is still running at the time limit, the watchdog fails the current test, naming the
// modal widget's class and title, and ends every open dialog with done(QDialog::Rejected) (a message box
// without an Escape button ignores close()), so its loop returns and the next test function runs. From
// then on it ends every dialog that opens until it goes out of scope.
//
// Its timer fires only while an event loop runs. When none does (the code blocks without a loop, or a
// dialog will not end), a thread of its own prints the open dialogs' classes and titles and aborts the
// program kAbortGraceMs after the time limit, long before the test runner's own limit kills it silently.
class DialogWatchdog
{
public:
    // Ample for a dialog a test answers (an answer takes milliseconds) on a loaded machine, and with the
    // grace below it stays far under the 120 s a test program may run.
    static constexpr int kDefaultTimeoutMs = 10000;
    // Room for the loops to return once their dialogs were ended.
    static constexpr int kAbortGraceMs = 5000;

    explicit DialogWatchdog(int timeoutMs = kDefaultTimeoutMs,
                            std::source_location armedAt = std::source_location::current());
    ~DialogWatchdog();
    DialogWatchdog(const DialogWatchdog &) = delete;
    DialogWatchdog &operator=(const DialogWatchdog &) = delete;

    // The time limit passed: the test was failed and the open dialogs were ended.
    bool expired() const;

private:
    class Private;
    std::unique_ptr<Private> d;
};
