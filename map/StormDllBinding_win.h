// The binding of the archive library's DLL (Windows build only): the library is
// loaded at the first call of any entry point, first from the program's own folder and
// then through the system's ordinary search; each entry point is looked up by ordinal at
// its own first call and the address kept for the rest of the run; the library is
// released when the binding is destroyed, at the end of the program for
// systemStormApi(). A library that cannot be loaded, or lacks the entry point being
// called, ends the program through the fatal error box naming the library and the
// ordinal ("#262").
#pragma once

#include "map/StormApi.h"

#include <array>
#include <string>

namespace quorvell {

class StormDllBinding final : public StormApi {
  public:
    // The entry points in call order, with their ordinals.
    enum class Role {
        prepare,
        setLocale,
        openArchive,
        openFile,
        getFileSize,
        readFile,
        closeFile,
        closeArchive
    };
    static constexpr int kRoleCount = 8;
    static int ordinalOf(Role role);

    // `libraryName` (UTF-8) is a bare file name, looked for beside the program and then
    // by the system's search, or a path, loaded as it stands.
    explicit StormDllBinding(std::string libraryName = "Storm.dll");
    ~StormDllBinding() override;
    StormDllBinding(const StormDllBinding&) = delete;
    StormDllBinding& operator=(const StormDllBinding&) = delete;

    std::int32_t StormPrepare() override;
    std::uint32_t StormSetLocale(std::uint32_t locale) override;
    std::int32_t StormOpenArchive(const char* path, std::uint32_t priority, std::uint32_t flags,
                                  std::uint32_t* archive) override;
    std::int32_t StormOpenFile(std::uint32_t archive, const char* name, std::uint32_t scope,
                               std::uint32_t* file) override;
    std::uint32_t StormGetFileSize(std::uint32_t file, std::uint32_t* sizeHigh) override;
    std::int32_t StormReadFile(std::uint32_t file, void* dest, std::uint32_t count,
                               std::uint32_t* bytesRead, void* overlapped) override;
    std::int32_t StormCloseFile(std::uint32_t file) override;
    std::int32_t StormCloseArchive(std::uint32_t archive) override;

    // What has happened so far, for tests: whether the library is loaded, whether an
    // entry point has been looked up, and how many lookups were made in all.
    bool isLoaded() const { return module_ != nullptr; }
    bool isBound(Role role) const { return entries_[static_cast<std::size_t>(role)] != nullptr; }
    int lookupCount() const { return lookups_; }

  private:
    // The address of `role`'s entry point, loading the library and looking the entry
    // point up on first use.
    void* entry(Role role);
    [[noreturn]] void failBinding(Role role) const;

    std::string libraryName_;
    void* module_ = nullptr;
    std::array<void*, kRoleCount> entries_{};
    int lookups_ = 0;
};

} // namespace quorvell
