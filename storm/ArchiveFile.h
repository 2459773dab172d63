// Reading one file's bytes out of an archive through its block entry: the plain,
// sectored and single-unit layouts, decryption, and the sector rules around the
// decompressors (a sector as long as its full size is stored as is, an empty sector
// reads as zeros, short output is padded with zeros).
#pragma once

#include "storm/ArchiveHeader.h"
#include "storm/FileTables.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace storm {

// The largest file this reader decodes; a larger declared size marks a fake entry.
inline constexpr std::uint32_t maxFileSize = 0x10000000; // 256 MiB

// Whether the entry names a file whose data lies inside `file` as its layout says, so
// that a buffer of its declared size may be made for it. `name` gives the key of an
// encrypted file.
bool archiveFileLocatable(std::span<const std::uint8_t> file, const ArchiveHeader& header,
                          const BlockEntry& block, std::string_view name);

// Decodes the file into `out`, which holds exactly its declared size; false when the
// entry is not a file, lies outside `file`, or does not decode (`out` may then hold a
// part of it).
bool decodeArchiveFile(std::span<const std::uint8_t> file, const ArchiveHeader& header,
                       const BlockEntry& block, std::string_view name,
                       std::span<std::uint8_t> out);

// The bytes of the file stored under `name` at `block`, or nothing when the entry is
// not a file, lies outside `file`, or does not decode.
std::optional<std::vector<std::uint8_t>> readArchiveFile(std::span<const std::uint8_t> file,
                                                         const ArchiveHeader& header,
                                                         const BlockEntry& block,
                                                         std::string_view name);

} // namespace storm
