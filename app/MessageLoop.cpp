#include "app/MessageLoop.h"

namespace quorvell {

namespace {
bool isHeld(int virtualKey) {
    return (GetKeyState(virtualKey) & 0x8000) != 0;
}
} // namespace

bool isCloseKey(const MSG& message) {
    return message.message == WM_KEYDOWN && message.wParam == VK_ESCAPE && !isHeld(VK_CONTROL) &&
           !isHeld(VK_SHIFT) && !isHeld(VK_MENU);
}

bool filterMessage(HWND window, const MSG& message) {
    if (!window || !isCloseKey(message)) {
        return false;
    }
    if (message.hwnd != window && !IsChild(window, message.hwnd)) {
        return false;
    }
    SendMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    return true;
}

int runMessageLoop(HWND window) {
    MSG message{};
    for (;;) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            return static_cast<int>(message.wParam);
        }
        if (got == -1) {
            return -1;
        }
        if (filterMessage(window, message)) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

} // namespace quorvell
