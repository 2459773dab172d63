// The Storm.dll edge: eight stdcall entry points, exported by ordinal only (see
// Storm.def), each forwarding to the portable reader. Every argument and result is a
// 32-bit value; no exception leaves the DLL.
#include "storm/StormExports.h"

#include <cstdint>

#define STORM_EXPORT extern "C"

namespace {

template <typename Result, typename Call> Result guarded(Result failure, Call call) noexcept {
    try {
        return call();
    } catch (...) {
        return failure;
    }
}

} // namespace

// #262
STORM_EXPORT std::int32_t __stdcall StormPrepare() {
    return guarded<std::int32_t>(0, [] { return storm::stormPrepare(); });
}

// #272
STORM_EXPORT std::uint32_t __stdcall StormSetLocale(std::uint32_t locale) {
    return guarded<std::uint32_t>(0, [=] { return storm::stormSetLocale(locale); });
}

// #266
STORM_EXPORT std::int32_t __stdcall StormOpenArchive(const char* path, std::uint32_t priority,
                                                     std::uint32_t flags, std::uint32_t* archive) {
    return guarded<std::int32_t>(
        0, [=] { return storm::stormOpenArchive(path, priority, flags, archive); });
}

// #268
STORM_EXPORT std::int32_t __stdcall StormOpenFile(std::uint32_t archive, const char* name,
                                                  std::uint32_t scope, std::uint32_t* file) {
    return guarded<std::int32_t>(0,
                                 [=] { return storm::stormOpenFile(archive, name, scope, file); });
}

// #265
STORM_EXPORT std::uint32_t __stdcall StormGetFileSize(std::uint32_t file, std::uint32_t* sizeHigh) {
    return guarded<std::uint32_t>(0xFFFFFFFFu,
                                  [=] { return storm::stormGetFileSize(file, sizeHigh); });
}

// #269
STORM_EXPORT std::int32_t __stdcall StormReadFile(std::uint32_t file, void* dest,
                                                  std::uint32_t count, std::uint32_t* bytesRead,
                                                  void* overlapped) {
    return guarded<std::int32_t>(
        0, [=] { return storm::stormReadFile(file, dest, count, bytesRead, overlapped); });
}

// #253
STORM_EXPORT std::int32_t __stdcall StormCloseFile(std::uint32_t file) {
    return guarded<std::int32_t>(0, [=] { return storm::stormCloseFile(file); });
}

// #252
STORM_EXPORT std::int32_t __stdcall StormCloseArchive(std::uint32_t archive) {
    return guarded<std::int32_t>(0, [=] { return storm::stormCloseArchive(archive); });
}
