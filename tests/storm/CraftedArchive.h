// Hand-made archives for the tests: laid out and encrypted by the rules of the format,
// then bent field by field to make the hostile cases. Sectors are stored, never
// compressed, so the cases do not depend on the decompressors.
#pragma once

#include "storm/FileTables.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quorvell::testing {

struct CraftedFile {
    std::string name;
    std::vector<std::uint8_t> content;
    std::uint32_t flags = storm::blockFlags::exists; // add compress/encrypted/fixKey as wanted
    std::uint16_t locale = 0;
};

class CraftedArchive {
  public:
    // Bytes before the header (a map header when 512), then the header, the files,
    // the hash table (`hashCount` entries) and the block table.
    explicit CraftedArchive(const std::vector<CraftedFile>& files, std::uint32_t hashCount = 16,
                            std::uint32_t prefix = 512, std::uint32_t sectorShift = 3);

    std::vector<std::uint8_t> bytes;
    std::uint32_t headerPosition = 0;
    std::uint32_t sectorSize = 0;
    std::vector<storm::HashEntry> hashes;
    std::vector<storm::BlockEntry> blocks;
    std::uint32_t hashTablePosition = 0;  // absolute
    std::uint32_t blockTablePosition = 0; // absolute

    // Writes `hashes` and `blocks` back (encrypted) at their positions, growing the
    // file when needed, and stores their positions and counts in the header.
    void rewriteTables();
    // Sets a 32-bit header field (offset within the header).
    void setHeader32(std::uint32_t offset, std::uint32_t value);
    std::uint32_t header32(std::uint32_t offset) const;
    // The slot `name` starts probing at, for a table of `count` entries.
    static std::uint32_t startSlot(const std::string& name, std::uint32_t count);
    static storm::HashEntry entryFor(const std::string& name, std::uint32_t block,
                                     std::uint16_t locale = 0);
    // Appends `data` at the end of the file and returns its offset relative to the header.
    std::uint32_t append(const std::vector<std::uint8_t>& data);
    // Stores `content` as a sectored file (stored sectors) at the end of the file.
    // Returns the block entry for it; `flags` must include compress or implode.
    storm::BlockEntry appendSectored(const std::string& name,
                                     const std::vector<std::uint8_t>& content, std::uint32_t flags);
};

void put32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value);
std::uint32_t get32(const std::vector<std::uint8_t>& bytes, std::size_t at);
std::vector<std::uint8_t> bytesOf(const std::string& text);
// `size` bytes of a recognisable pattern.
std::vector<std::uint8_t> patternBytes(std::size_t size, std::uint32_t seed = 1);

} // namespace quorvell::testing
