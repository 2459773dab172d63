#include "map/StormDllBinding_win.h"

#include "map/FatalError.h"

#include "storm/StormDllTypes_win.h"

#include <windows.h>

#include <string>

namespace quorvell {

namespace {

using storm::dll::CloseFn;
using storm::dll::GetFileSizeFn;
using storm::dll::OpenArchiveFn;
using storm::dll::OpenFileFn;
using storm::dll::PrepareFn;
using storm::dll::ReadFileFn;
using storm::dll::SetLocaleFn;

constexpr int kOrdinals[StormDllBinding::kRoleCount] = {262, 272, 266, 268, 265, 269, 253, 252};

template <typename Fn> Fn as(void* address) {
    // A plain function pointer type in between keeps the cast free of type warnings.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(address));
}

std::wstring widen(const std::string& utf8) {
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n > 0 ? n : 1), L'\0');
    if (n > 0) {
        MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, out.data(), n);
    }
    out.resize(out.size() - 1);
    return out;
}

// The folder holding the program file, with its trailing separator; empty when unknown.
std::wstring programFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) {
            return {};
        }
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    const std::size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

HMODULE loadLibrary(const std::string& name) {
    const std::wstring wide = widen(name);
    if (wide.find_first_of(L"\\/:") != std::wstring::npos) {
        return LoadLibraryW(wide.c_str());
    }
    if (const std::wstring folder = programFolder(); !folder.empty()) {
        if (HMODULE m =
                LoadLibraryExW((folder + wide).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH)) {
            return m;
        }
    }
    return LoadLibraryW(wide.c_str());
}

} // namespace

int StormDllBinding::ordinalOf(Role role) {
    return kOrdinals[static_cast<std::size_t>(role)];
}

StormDllBinding::StormDllBinding(std::string libraryName) : libraryName_(std::move(libraryName)) {}

StormDllBinding::~StormDllBinding() {
    if (module_ != nullptr) {
        FreeLibrary(static_cast<HMODULE>(module_));
    }
}

void StormDllBinding::failBinding(Role role) const {
    fatalError("无法找到指定DLL库文件“" + libraryName_ + "”中的输出命令“#" +
               std::to_string(ordinalOf(role)) + "”");
}

void* StormDllBinding::entry(Role role) {
    void*& slot = entries_[static_cast<std::size_t>(role)];
    if (slot != nullptr) {
        return slot;
    }
    if (module_ == nullptr) {
        module_ = loadLibrary(libraryName_);
        if (module_ == nullptr) {
            failBinding(role);
        }
    }
    ++lookups_;
    const auto ordinal = static_cast<std::uintptr_t>(ordinalOf(role));
    FARPROC address =
        GetProcAddress(static_cast<HMODULE>(module_), reinterpret_cast<LPCSTR>(ordinal));
    if (address == nullptr) {
        failBinding(role);
    }
    slot = reinterpret_cast<void*>(reinterpret_cast<void (*)()>(address));
    return slot;
}

std::int32_t StormDllBinding::StormPrepare() {
    return as<PrepareFn>(entry(Role::prepare))();
}

std::uint32_t StormDllBinding::StormSetLocale(std::uint32_t locale) {
    return as<SetLocaleFn>(entry(Role::setLocale))(locale);
}

std::int32_t StormDllBinding::StormOpenArchive(const char* path, std::uint32_t priority,
                                               std::uint32_t flags, std::uint32_t* archive) {
    return as<OpenArchiveFn>(entry(Role::openArchive))(path, priority, flags, archive);
}

std::int32_t StormDllBinding::StormOpenFile(std::uint32_t archive, const char* name,
                                            std::uint32_t scope, std::uint32_t* file) {
    return as<OpenFileFn>(entry(Role::openFile))(archive, name, scope, file);
}

std::uint32_t StormDllBinding::StormGetFileSize(std::uint32_t file, std::uint32_t* sizeHigh) {
    return as<GetFileSizeFn>(entry(Role::getFileSize))(file, sizeHigh);
}

std::int32_t StormDllBinding::StormReadFile(std::uint32_t file, void* dest, std::uint32_t count,
                                            std::uint32_t* bytesRead, void* overlapped) {
    return as<ReadFileFn>(entry(Role::readFile))(file, dest, count, bytesRead, overlapped);
}

std::int32_t StormDllBinding::StormCloseFile(std::uint32_t file) {
    return as<CloseFn>(entry(Role::closeFile))(file);
}

std::int32_t StormDllBinding::StormCloseArchive(std::uint32_t archive) {
    return as<CloseFn>(entry(Role::closeArchive))(archive);
}

StormApi& systemStormApi() {
    // Destroyed when the program ends, which releases the library.
    static StormDllBinding binding;
    return binding;
}

} // namespace quorvell
