// app_showcase.exe: the main window as the program builds it, optionally filled with
// sample rows, for the scripted runs that press keys and take screenshots.
//   app_showcase.exe [--rows] [--report FILE]
// --report writes the ANSI code page in use and the window's outer rectangle to FILE
// once the window is shown; the exit status is the message loop's.
#include "app/Handles.h"
#include "app/MainWindow.h"
#include "app/MessageLoop.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

quorvell::Text ansi(const wchar_t* wide) {
    const int n = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, -1, bytes.data(), n, nullptr, nullptr);
    return quorvell::Text(std::string_view(bytes));
}

void fillSampleRows(quorvell::ResultList& list) {
    list.clearRows();
    list.appendRow({ansi(L"玩家1"), "-ar", "true"});
    list.appendRow({ansi(L"玩家2"), ansi(L"-开始游戏"), "false"});
    list.appendRow({ansi(L"玩家12"), "-kick \"red\"", "(true)"});
    list.appendRow({ansi(L"玩家3"), quorvell::Text(std::string(2000, 'x')), "true"});
    list.appendRow({ansi(L"玩家1"), "  ", "false"});
}

} // namespace

int main(int argc, char** argv) {
    bool rows = false;
    const char* report = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--rows") == 0) {
            rows = true;
        } else if (std::strcmp(argv[i], "--report") == 0 && i + 1 < argc) {
            report = argv[++i];
        }
    }
    const quorvell::OleSession ole;
    quorvell::MainWindow window;
    if (!window.create(GetModuleHandleW(nullptr))) {
        return 2;
    }
    if (rows) {
        fillSampleRows(window.resultList());
    }
    window.show();
    if (report) {
        RECT outer{};
        GetWindowRect(window.handle(), &outer);
        if (FILE* out = std::fopen(report, "w")) {
            std::fprintf(out, "acp=%u\nrect=%ld,%ld,%ld,%ld\n", GetACP(), outer.left, outer.top,
                         outer.right, outer.bottom);
            std::fclose(out);
        }
    }
    return quorvell::runMessageLoop(window.handle());
}
