// The program's message loop, with the window's Esc rule: Esc alone closes the window,
// also while one of its controls (the result list, which takes every key it is sent)
// has the focus, so the key is caught here before it is dispatched.
#pragma once

#include <windows.h>

namespace quorvell {

// True for an Esc key press while neither Control, Shift nor Alt is held (as the
// thread's key state tells at the time the message is read).
bool isCloseKey(const MSG& message);

// Looks at one message before it is dispatched: Esc alone, aimed at `window` or at any
// of its controls, asks `window` to close as its close button does. True when the
// message was used up.
bool filterMessage(HWND window, const MSG& message);

// Runs until the quit message arrives; returns the quit message's exit code.
int runMessageLoop(HWND window);

} // namespace quorvell
