// StormApi: the eight entry points of the game's archive library that the map reader
// calls, named by role. Every argument and result is a 32-bit value in the Windows
// build (handles are 32-bit numbers the library hands out; a text is the address of
// its first byte, ANSI and NUL-ended); the open calls fill the caller's handle variable.
//
// systemStormApi() gives the binding this build uses: on Windows "Storm.dll", loaded at
// the first call of any entry point and bound by ordinal export by export; natively an
// in-process stand-in over our own archive reader.
#pragma once

#include <cstdint>

namespace quorvell {

class StormApi {
  public:
    virtual ~StormApi() = default;

    // #262: result ignored by the reader.
    virtual std::int32_t StormPrepare() = 0;
    // #272: the locale for later opens; result ignored by the reader.
    virtual std::uint32_t StormSetLocale(std::uint32_t locale) = 0;
    // #266: nonzero when the archive is open and *archive holds its handle.
    virtual std::int32_t StormOpenArchive(const char* path, std::uint32_t priority,
                                          std::uint32_t flags, std::uint32_t* archive) = 0;
    // #268: nonzero when the inner file is open and *file holds its handle.
    virtual std::int32_t StormOpenFile(std::uint32_t archive, const char* name, std::uint32_t scope,
                                       std::uint32_t* file) = 0;
    // #265: the inner file's size in bytes.
    virtual std::uint32_t StormGetFileSize(std::uint32_t file, std::uint32_t* sizeHigh) = 0;
    // #269: stores at most `count` bytes at `dest`, nothing when `dest` is null.
    virtual std::int32_t StormReadFile(std::uint32_t file, void* dest, std::uint32_t count,
                                       std::uint32_t* bytesRead, void* overlapped) = 0;
    // #253 and #252.
    virtual std::int32_t StormCloseFile(std::uint32_t file) = 0;
    virtual std::int32_t StormCloseArchive(std::uint32_t archive) = 0;

  protected:
    StormApi() = default;
    StormApi(const StormApi&) = default;
    StormApi& operator=(const StormApi&) = default;
};

// The binding of this build, one for the whole run.
StormApi& systemStormApi();

} // namespace quorvell
