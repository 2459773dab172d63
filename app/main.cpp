// quorvell.exe: start-up and shutdown.
#include "app/Handles.h"
#include "app/MainWindow.h"
#include "app/MessageLoop.h"
#include "app/ProgramFolder.h"
#include "map/FatalError.h"

#include <windows.h>

#include <string>

namespace {

// The program works in the folder that holds its file.
void enterProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return;
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    if (const auto folder = quorvell::programFolder(path)) {
        SetCurrentDirectoryW(folder->c_str());
    }
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    enterProgramFolder();
    const quorvell::OleSession ole;
    int exitCode = 0;
    {
        quorvell::MainWindow window;
        if (!window.create(instance)) {
            quorvell::fatalError("载入启动窗口失败");
        }
        window.show();
        exitCode = quorvell::runMessageLoop(window.handle());
    }
    return exitCode;
}
