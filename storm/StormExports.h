// The eight entry points of our archive library in portable form. The Windows DLL
// exports them by ordinal (#262, #272, #266, #268, #265, #269, #253, #252) with the
// stdcall convention; the native build calls them directly.
//
// Handles are 32-bit values handed out by the library; 0 is never a valid handle. A
// handle that the library did not hand out, or that was closed, is refused (the call
// returns 0) rather than trusted.
#pragma once

#include <cstdint>

namespace storm {

using Handle = std::uint32_t;

// #262: kept for callers that call it before anything else; nothing is needed.
std::int32_t stormPrepare();
// #272: the preferred locale for later file opens; returns the previous one.
std::uint32_t stormSetLocale(std::uint32_t locale);
// #266: opens the map archive at `path` (ANSI, NUL-ended). Nonzero exactly when the
// archive is open and `*archive` holds its handle; `*archive` is 0 otherwise.
std::int32_t stormOpenArchive(const char* path, std::uint32_t priority, std::uint32_t flags,
                              Handle* archive);
// #268: opens the inner file `name` of an open archive. Nonzero exactly when the file
// is open and `*file` holds its handle.
std::int32_t stormOpenFile(Handle archive, const char* name, std::uint32_t scope, Handle* file);
// #265: the file's size in bytes; `sizeHigh`, when not null, receives 0. An unknown
// handle gives 0xFFFFFFFF.
std::uint32_t stormGetFileSize(Handle file, std::uint32_t* sizeHigh);
// #269: reads up to `count` bytes from the file's current position into `dest`
// (nothing is stored when `dest` is null). `*bytesRead`, when not null, receives the
// count stored. Nonzero when all `count` bytes were read.
std::int32_t stormReadFile(Handle file, void* dest, std::uint32_t count, std::uint32_t* bytesRead,
                           void* overlapped);
// #253 and #252: release what the opens took. Closing an archive also closes the
// files still open in it.
std::int32_t stormCloseFile(Handle file);
std::int32_t stormCloseArchive(Handle archive);

} // namespace storm
