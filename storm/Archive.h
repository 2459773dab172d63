// An open archive: the map file's bytes, the header found in them and the two tables.
#pragma once

#include "storm/ArchiveHeader.h"
#include "storm/FileTables.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace storm {

// Map files larger than this are not read (positions in the format are 32-bit, and
// the whole file is held in memory).
inline constexpr std::size_t maxArchiveFileSize = 0x40000000; // 1 GiB

class Archive {
  public:
    // The archive in `bytes`, or nothing when no usable header is found.
    static std::optional<Archive> fromBytes(std::vector<std::uint8_t> bytes);
    // The archive in the file at `path` (NUL-ended, in the system's code page), or
    // nothing when it cannot be read or holds no usable header. A folder reads as
    // nothing.
    static std::optional<Archive> open(const char* path);

    // The bytes of the inner file `name`, trying its entries in the order the game
    // prefers for `locale` until one decodes; nothing when none does.
    std::optional<std::vector<std::uint8_t>> readFile(std::string_view name,
                                                      std::uint16_t locale) const;

    // The entries that may hold `name`, in the order the game prefers for `locale`.
    std::vector<std::uint32_t> candidates(std::string_view name, std::uint16_t locale) const {
        return tables_.candidates(name, locale);
    }
    // Whether entry `index` names a file whose data lies inside the map file, so that a
    // buffer of its declared size may be made for it.
    bool locatable(std::uint32_t index, std::string_view name) const;
    // The declared size of entry `index` (a valid index from candidates()).
    std::uint32_t fileSize(std::uint32_t index) const { return tables_.blocks()[index].fileSize; }
    // Decodes entry `index` into `out`, exactly its declared size; false when it does
    // not decode.
    bool decode(std::uint32_t index, std::string_view name, std::span<std::uint8_t> out) const;

    const ArchiveHeader& header() const { return header_; }
    const FileTables& tables() const { return tables_; }

  private:
    Archive(std::vector<std::uint8_t> bytes, const ArchiveHeader& header);

    std::vector<std::uint8_t> bytes_;
    ArchiveHeader header_;
    FileTables tables_;
};

} // namespace storm
