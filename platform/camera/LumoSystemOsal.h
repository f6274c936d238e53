#pragma once

// System events for the document camera: 0 asks its owner to close the camera (the machine is going to
// sleep), 1 to select one again (it woke up). One callback is registered at a time; (nullptr, nullptr)
// unregisters. Events reach the callback on the GUI thread, queued.
using OsalSystemEventCallback = void (*)(void *context, int event);

void osalRegisterSystemEventListener(OsalSystemEventCallback callback, void *context);

// Delivers an event to the registered callback from the event loop; nothing happens when none is
// registered by then.
void osalPostSystemEvent(int event);
