// 标签1: a label that draws its own text, one line centred in its rectangle, black,
// transparently over COLOR_BTNFACE, in DEFAULT_GUI_FONT. The text is the window text.
#pragma once

#include <windows.h>

namespace quorvell {

class Label {
  public:
    // Registers the label's window class once per process; false when that fails.
    static bool registerClass(HINSTANCE instance);
    static constexpr const wchar_t* kClassName = L"QuorvellLabel";

    // Creates the label as a hidden child of `parent`; null when it cannot be made.
    static HWND create(HWND parent, HINSTANCE instance, int controlId, const wchar_t* text,
                       RECT place);

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;
    static void onPaint(HWND window);
};

} // namespace quorvell
