#include "storm/ArchiveHeader.h"

#include "storm/Bytes.h"

namespace storm {
namespace {

constexpr std::uint32_t headerMagic = 0x1A51504D; // "MPQ\x1A"
constexpr std::uint32_t minimumHeaderSize = 32;

std::optional<ArchiveHeader> headerAt(std::span<const std::uint8_t> file, std::uint32_t p) {
    const std::uint8_t* h = file.data() + p;
    if (loadLe32(h) != headerMagic || loadLe32(h + 4) < minimumHeaderSize) {
        return std::nullopt;
    }
    ArchiveHeader header;
    header.position = p;
    // Only the low byte of the shift counts; a shift of 23 or more leaves no sector size.
    const std::uint32_t shift = h[0x0E];
    header.sectorSize = shift < 23 ? (512u << shift) : 0;
    header.hashTableOffset = loadLe32(h + 0x10);
    header.blockTableOffset = loadLe32(h + 0x14);
    header.hashCount = loadLe32(h + 0x18) & countMask;
    header.blockCount = loadLe32(h + 0x1C) & countMask;
    const std::uint64_t size = file.size();
    if (header.sectorSize == 0 || header.hashTablePosition() > size ||
        header.blockTablePosition() > size) {
        return std::nullopt; // a decoy: the game could not use it
    }
    return header;
}

} // namespace

std::optional<ArchiveHeader> findArchiveHeader(std::span<const std::uint8_t> file) {
    // Positions are 32-bit; a file too large for them has no readable archive here.
    if (file.size() > 0xFFFFFFFFu) {
        return std::nullopt;
    }
    const auto size = static_cast<std::uint32_t>(file.size());
    for (std::uint32_t p = 0; size >= minimumHeaderSize && p <= size - minimumHeaderSize;
         p += headerSearchStep) {
        if (auto header = headerAt(file, p)) {
            return header;
        }
        if (p > 0xFFFFFFFFu - headerSearchStep) {
            break;
        }
    }
    return std::nullopt;
}

} // namespace storm
