#include "map/FatalError.h"

#include <windows.h>

#include <string>

namespace quorvell {

namespace {
std::wstring widen(std::string_view utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n > 0 ? n : 0), L'\0');
    if (n > 0) {
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    }
    return out;
}
} // namespace

void fatalError(std::string_view message) {
    const std::wstring text = widen(fatalErrorText(message));
    MessageBoxW(nullptr, text.c_str(), L"错误", MB_OK | MB_ICONERROR);
    ExitProcess(static_cast<UINT>(-1));
}

} // namespace quorvell
