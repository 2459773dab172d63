// Registering one of the program's window classes, once per process.
#pragma once

#include <windows.h>

namespace quorvell {

// Registers `name` with `procedure` and the arrow cursor unless it is registered already;
// false when registration fails. `background` may be null (the window paints it).
inline bool registerWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure,
                                HBRUSH background) {
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof existing;
    if (GetClassInfoExW(instance, name, &existing)) {
        return true;
    }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    return RegisterClassExW(&windowClass) != 0;
}

} // namespace quorvell
