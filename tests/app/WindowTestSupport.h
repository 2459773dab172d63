// Shared by the window tests: a MainWindow built as the program builds it, and a way to
// run the messages that are waiting without blocking.
#pragma once

#include "app/MainWindow.h"

#include <windows.h>

#include <memory>
#include <string>

namespace quorvell::apptest {

// Dispatches every message waiting for this thread; a quit message from a destroyed
// window is taken off the queue and reported.
inline bool pumpWaitingMessages() {
    bool quit = false;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quit = true;
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return quit;
}

// Clears the thread's key state, then holds the given keys down in it.
inline void holdKeys(std::initializer_list<int> virtualKeys) {
    BYTE state[256] = {};
    for (const int key : virtualKeys) {
        state[key] = 0x80;
    }
    SetKeyboardState(state);
}

inline std::wstring windowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    const int length = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length > 0 ? length : 0));
    return text;
}

inline std::wstring className(HWND window) {
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    return name;
}

// A control's rectangle in its parent's client coordinates.
inline RECT placeInParent(HWND control) {
    RECT place;
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&place), 2);
    return place;
}

} // namespace quorvell::apptest
