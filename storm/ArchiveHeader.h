// Finding the archive header inside a map file: candidates at every multiple of 512
// bytes, the "MPQ\x1B" block ignored, decoys (header size below 32, a table starting
// past the end of the file, a sector size of 0) skipped.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace storm {

struct ArchiveHeader {
    std::uint32_t position = 0;         // where the header starts in the file
    std::uint32_t sectorSize = 0;       // 512 << shift, never 0
    std::uint32_t hashTableOffset = 0;  // relative to `position`; positions wrap at 2^32
    std::uint32_t blockTableOffset = 0; // relative to `position`
    std::uint32_t hashCount = 0;        // declared count, top four bits dropped
    std::uint32_t blockCount = 0;       // declared count, top four bits dropped

    std::uint32_t hashTablePosition() const { return position + hashTableOffset; }
    std::uint32_t blockTablePosition() const { return position + blockTableOffset; }
};

inline constexpr std::uint32_t headerSearchStep = 512;
inline constexpr std::uint32_t countMask = 0x0FFFFFFF;

// The first header the game would accept, or nothing. Only the first 32 bytes of a
// header are read, whatever its size and version fields say.
std::optional<ArchiveHeader> findArchiveHeader(std::span<const std::uint8_t> file);

} // namespace storm
