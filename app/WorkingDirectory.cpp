#include "app/WorkingDirectory.h"

#include "app/ProgramFolder.h"

#include <windows.h>

#include <string>

namespace quorvell {

void enterProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return;
        }
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2); // the name was cut: ask again with more room
    }
    if (const auto folder = programFolder(path)) {
        SetCurrentDirectoryW(folder->c_str());
    }
}

} // namespace quorvell
