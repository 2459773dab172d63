// The types of Storm.dll's eight exports as a caller binds them: stdcall, every
// argument and result 32 bits wide, handles as 32-bit values.
#pragma once

#include <cstdint>

namespace storm::dll {

using PrepareFn = std::int32_t(__stdcall*)();
using SetLocaleFn = std::uint32_t(__stdcall*)(std::uint32_t);
using OpenArchiveFn = std::int32_t(__stdcall*)(const char*, std::uint32_t, std::uint32_t,
                                               std::uint32_t*);
using OpenFileFn = std::int32_t(__stdcall*)(std::uint32_t, const char*, std::uint32_t,
                                            std::uint32_t*);
using GetFileSizeFn = std::uint32_t(__stdcall*)(std::uint32_t, std::uint32_t*);
using ReadFileFn = std::int32_t(__stdcall*)(std::uint32_t, void*, std::uint32_t, std::uint32_t*,
                                            void*);
using CloseFn = std::int32_t(__stdcall*)(std::uint32_t);

} // namespace storm::dll
