#include "app/Label.h"
#include "app/WindowClass.h"

#include <string>

namespace quorvell {

bool Label::registerClass(HINSTANCE instance) {
    return registerWindowClass(instance, kClassName, &Label::windowProc, nullptr);
}

HWND Label::create(HWND parent, HINSTANCE instance, int controlId, const wchar_t* text,
                   RECT place) {
    return CreateWindowExW(0, kClassName, text, WS_CHILD | WS_CLIPSIBLINGS, place.left, place.top,
                           place.right - place.left, place.bottom - place.top, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), instance,
                           nullptr);
}

LRESULT CALLBACK Label::windowProc(HWND window, UINT message, WPARAM wParam,
                                   LPARAM lParam) noexcept {
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // the whole rectangle is filled in WM_PAINT
    case WM_PAINT:
        onPaint(window);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(GetStockObject(DEFAULT_GUI_FONT));
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

void Label::onPaint(HWND window) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (!dc) {
        return;
    }
    RECT area;
    GetClientRect(window, &area);
    FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));

    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    const int length = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));

    const HGDIOBJ oldFont = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    const COLORREF oldColour = SetTextColor(dc, RGB(0, 0, 0));
    DrawTextW(dc, text.c_str(), length, &area, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOCLIP);
    SetTextColor(dc, oldColour);
    SetBkMode(dc, oldMode);
    SelectObject(dc, oldFont);
    EndPaint(window, &paint);
}

} // namespace quorvell
