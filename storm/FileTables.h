// The hash and block tables of an archive, and looking a name up in them as the game
// does: masked probing bounded by the declared count, deleted entries passed over,
// several entries per name chosen by locale.
#pragma once

#include "storm/ArchiveHeader.h"

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace storm {

struct HashEntry {
    std::uint32_t nameA = 0;
    std::uint32_t nameB = 0;
    std::uint16_t locale = 0;
    std::uint8_t platform = 0;
    std::uint32_t block = 0;
};

struct BlockEntry {
    std::uint32_t offset = 0; // relative to the archive header
    std::uint32_t storedSize = 0;
    std::uint32_t fileSize = 0;
    std::uint32_t flags = 0;
};

namespace blockFlags {
inline constexpr std::uint32_t implode = 0x00000100;
inline constexpr std::uint32_t compress = 0x00000200;
inline constexpr std::uint32_t anyCompression = 0x0000FF00;
inline constexpr std::uint32_t encrypted = 0x00010000;
inline constexpr std::uint32_t fixKey = 0x00020000;
inline constexpr std::uint32_t singleUnit = 0x01000000;
inline constexpr std::uint32_t sectorCrc = 0x04000000;
inline constexpr std::uint32_t exists = 0x80000000;
} // namespace blockFlags

inline constexpr std::uint32_t hashEntryEmpty = 0xFFFFFFFF;
inline constexpr std::uint32_t hashEntryDeleted = 0xFFFFFFFE;
inline constexpr std::uint32_t blockIndexMask = 0x0FFFFFFF;

class FileTables {
  public:
    // Reads both tables of the archive at `header` out of `file`. Entries past the end
    // of the file are missing: hash slots that are missing never match, the block
    // table is cut to its whole entries present.
    FileTables(std::span<const std::uint8_t> file, const ArchiveHeader& header);

    // Block indexes of the entries stored under `name`, best first: with a nonzero
    // `locale` the first entry of that locale; then the neutral (or `locale`) entries,
    // last in probe order first; then entries of any other locale, last first. Only
    // entries whose index is in range are listed.
    std::vector<std::uint32_t> candidates(std::string_view name, std::uint16_t locale) const;

    std::uint32_t hashCount() const { return hashCount_; }
    std::size_t hashEntriesPresent() const { return hashes_.size(); }
    const std::vector<BlockEntry>& blocks() const { return blocks_; }

  private:
    std::uint32_t hashCount_ = 0; // the declared (masked) count; the index mask is count - 1
    std::vector<HashEntry> hashes_;
    std::vector<BlockEntry> blocks_;
};

} // namespace storm
