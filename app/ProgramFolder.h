// The folder the program works in: the folder that holds the program file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvell {

// The program file's full path cut before its last backslash, or nothing when the
// path holds no backslash (the working directory is then left as it is). A program in
// a drive's root ("C:\quorvell.exe") gives "C:\": a bare "C:" would name the drive's
// current directory, not its root.
inline std::optional<std::wstring> programFolder(std::wstring_view programPath) {
    const std::size_t cut = programPath.rfind(L'\\');
    if (cut == std::wstring_view::npos) {
        return std::nullopt;
    }
    std::wstring folder(programPath.substr(0, cut));
    if (folder.size() == 2 && folder[1] == L':') {
        folder += L'\\';
    }
    return folder;
}

} // namespace quorvell
