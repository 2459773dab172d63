#include "storm/ArchiveFile.h"

#include "storm/Bytes.h"
#include "storm/Crypto.h"
#include "storm/Decompress.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace storm {
namespace {

// Unknown words the game tolerates between the sector table and the first sector.
constexpr std::uint32_t maxSectorTableSlack = 0x400;

struct Source {
    std::span<const std::uint8_t> file;
    std::uint32_t position; // where the file's data starts
    const BlockEntry& block;
    std::uint32_t sectorSize;
    bool encrypted;
    std::uint32_t key;

    // `length` bytes at `position + offset` (wrapping at 2^32), or an empty span when
    // they are not all inside the file.
    bool locate(std::uint32_t offset, std::uint32_t length, const std::uint8_t*& out) const {
        const std::uint32_t start = position + offset;
        if (static_cast<std::uint64_t>(start) + length > file.size()) {
            return false;
        }
        out = file.data() + start;
        return true;
    }
};

// Decodes one sector (or a single unit) of `raw` into exactly `out.size()` bytes.
bool decodeUnit(const Source& src, const std::uint8_t* raw, std::uint32_t rawSize,
                std::uint32_t key, std::vector<std::uint8_t>& scratch,
                std::span<std::uint8_t> out) {
    const std::size_t expected = out.size();
    if (src.encrypted) {
        // A stored sector needs only its first `expected` bytes, rounded up to whole
        // words so that they decrypt as they would within the whole sector.
        std::size_t needed = rawSize;
        if (rawSize >= expected) {
            needed = std::min<std::size_t>(rawSize, (expected + 3) / 4 * 4);
        }
        scratch.assign(raw, raw + needed);
        decryptBlock(scratch.data(), scratch.size(), key);
        raw = scratch.data();
    }
    if (rawSize >= expected) {
        std::memcpy(out.data(), raw, expected);
        return true;
    }
    if (rawSize == 0) {
        std::fill(out.begin(), out.end(), std::uint8_t{0});
        return true;
    }
    DecompressResult result{DecompressStatus::corrupt, 0};
    if (src.block.flags & blockFlags::compress) {
        result = decompressSector(raw, rawSize, out.data(), expected);
    } else {
        result = explodeSector(raw, rawSize, out.data(), expected);
    }
    if (result.status != DecompressStatus::ok || result.written > expected) {
        return false;
    }
    std::fill(out.begin() + static_cast<std::ptrdiff_t>(result.written), out.end(),
              std::uint8_t{0});
    return true;
}

bool plainLocatable(const Source& src) {
    const std::uint8_t* data = nullptr;
    return src.locate(0, src.block.fileSize, data);
}

bool readPlain(const Source& src, std::span<std::uint8_t> out) {
    const std::uint32_t size = src.block.fileSize;
    const std::uint8_t* data = nullptr;
    if (!src.locate(0, size, data)) {
        return false;
    }
    std::memcpy(out.data(), data, size);
    if (src.encrypted) {
        std::uint32_t sector = 0;
        for (std::size_t at = 0; at < size; at += src.sectorSize, ++sector) {
            const std::size_t length = std::min<std::size_t>(src.sectorSize, size - at);
            decryptBlock(out.data() + at, length, src.key + sector);
        }
    }
    return true;
}

// The sector offset table, once it and every sector it names lie inside the file.
std::optional<std::vector<std::uint32_t>> locateSectors(const Source& src) {
    const std::uint32_t size = src.block.fileSize;
    const std::uint64_t sectors =
        (static_cast<std::uint64_t>(size) + src.sectorSize - 1) / src.sectorSize;
    // The table's n + 1 entries must be present; a checksum entry after them is ignored.
    const std::uint64_t tableBytes = (sectors + 1) * 4;
    const std::uint8_t* tableData = nullptr;
    if (tableBytes > src.file.size() ||
        !src.locate(0, static_cast<std::uint32_t>(tableBytes), tableData)) {
        return std::nullopt;
    }
    std::vector<std::uint32_t> table(static_cast<std::size_t>(sectors + 1));
    {
        std::vector<std::uint8_t> bytes(tableData, tableData + tableBytes);
        if (src.encrypted) {
            decryptBlock(bytes.data(), bytes.size(), src.key - 1);
        }
        for (std::size_t j = 0; j < table.size(); ++j) {
            table[j] = loadLe32(bytes.data() + j * 4);
        }
    }
    for (std::uint32_t i = 0; i < sectors; ++i) {
        const std::uint8_t* raw = nullptr;
        if (!src.locate(table[i], table[i + 1] - table[i], raw)) {
            return std::nullopt;
        }
    }
    return table;
}

bool readSectored(const Source& src, std::span<std::uint8_t> out) {
    const auto table = locateSectors(src);
    if (!table) {
        return false;
    }
    const std::uint32_t size = src.block.fileSize;
    const std::size_t sectors = table->size() - 1;
    std::vector<std::uint8_t> scratch;
    for (std::uint32_t i = 0; i < sectors; ++i) {
        const std::uint32_t begin = (*table)[i];
        const std::uint32_t length = (*table)[i + 1] - begin; // a decreasing table wraps: too long
        const std::uint8_t* raw = nullptr;
        src.locate(begin, length, raw);
        const std::size_t at = static_cast<std::size_t>(i) * src.sectorSize;
        const std::size_t expected = std::min<std::size_t>(src.sectorSize, size - at);
        if (!decodeUnit(src, raw, length, src.key + i, scratch,
                        std::span<std::uint8_t>(out.data() + at, expected))) {
            return false;
        }
    }
    return true;
}

bool singleUnitLocatable(const Source& src) {
    const std::uint8_t* raw = nullptr;
    return src.locate(0, src.block.storedSize, raw);
}

bool readSingleUnit(const Source& src, std::span<std::uint8_t> out) {
    const std::uint8_t* raw = nullptr;
    if (!src.locate(0, src.block.storedSize, raw)) {
        return false;
    }
    std::vector<std::uint8_t> scratch;
    return decodeUnit(src, raw, src.block.storedSize, src.key, scratch, out);
}

// With several ways to cut a name for its key, the one whose sector table starts
// with its own length (give or take the tolerated slack) is the right one.
std::uint32_t chooseKey(std::span<const std::uint8_t> file, std::uint32_t position,
                        const BlockEntry& block, std::uint32_t sectorSize, std::string_view name) {
    const bool fix = (block.flags & blockFlags::fixKey) != 0;
    const std::array<KeyName, 3> rules{KeyName::afterBackslash, KeyName::afterAnySlash,
                                       KeyName::wholeName};
    const std::uint32_t first = fileKey(name, rules[0], fix, block.offset, block.fileSize);
    const bool sectored = (block.flags & blockFlags::anyCompression) != 0;
    if (!sectored || static_cast<std::uint64_t>(position) + 8 > file.size()) {
        return first;
    }
    const std::uint64_t sectors =
        (static_cast<std::uint64_t>(block.fileSize) + sectorSize - 1) / sectorSize;
    const std::uint64_t tableBytes = (sectors + 1) * 4;
    for (const KeyName rule : rules) {
        const std::uint32_t key = fileKey(name, rule, fix, block.offset, block.fileSize);
        std::array<std::uint8_t, 8> head{};
        std::memcpy(head.data(), file.data() + position, head.size());
        decryptBlock(head.data(), head.size(), key - 1);
        const std::uint64_t entry0 = loadLe32(head.data());
        if (entry0 >= tableBytes && entry0 <= tableBytes + 4 + maxSectorTableSlack) {
            return key;
        }
    }
    return first;
}

// The entry's layout, once it is known to name a file that may be read; nothing for an
// entry that is no file, too large, or placed before the file.
std::optional<Source> sourceOf(std::span<const std::uint8_t> file, const ArchiveHeader& header,
                               const BlockEntry& block, std::string_view name) {
    if ((block.flags & blockFlags::exists) == 0 || block.fileSize > maxFileSize ||
        header.sectorSize == 0) {
        return std::nullopt;
    }
    const std::uint32_t position = header.position + block.offset;
    if (position > file.size()) {
        return std::nullopt;
    }
    const bool encrypted = (block.flags & blockFlags::encrypted) != 0;
    const std::uint32_t key =
        encrypted && block.fileSize > 0 ? chooseKey(file, position, block, header.sectorSize, name) : 0;
    return Source{file, position, block, header.sectorSize, encrypted, key};
}

bool compressed(const BlockEntry& block) {
    return (block.flags & blockFlags::anyCompression) != 0;
}

} // namespace

bool archiveFileLocatable(std::span<const std::uint8_t> file, const ArchiveHeader& header,
                          const BlockEntry& block, std::string_view name) {
    const auto src = sourceOf(file, header, block, name);
    if (!src) {
        return false;
    }
    if (block.fileSize == 0) {
        return true;
    }
    if (!compressed(block)) {
        return plainLocatable(*src);
    }
    return locateSectors(*src).has_value() ||
           ((block.flags & blockFlags::singleUnit) != 0 && singleUnitLocatable(*src));
}

bool decodeArchiveFile(std::span<const std::uint8_t> file, const ArchiveHeader& header,
                       const BlockEntry& block, std::string_view name,
                       std::span<std::uint8_t> out) {
    const auto src = sourceOf(file, header, block, name);
    if (!src || out.size() != block.fileSize) {
        return false;
    }
    if (block.fileSize == 0) {
        return true;
    }
    if (!compressed(block)) {
        return readPlain(*src, out);
    }
    // Maps are read as sectored, as the game does; a file that only makes sense as
    // one unit is tried that way after.
    return readSectored(*src, out) ||
           ((block.flags & blockFlags::singleUnit) != 0 && readSingleUnit(*src, out));
}

std::optional<std::vector<std::uint8_t>> readArchiveFile(std::span<const std::uint8_t> file,
                                                         const ArchiveHeader& header,
                                                         const BlockEntry& block,
                                                         std::string_view name) {
    // Nothing is allocated for an entry whose data does not lie inside the file.
    if (!archiveFileLocatable(file, header, block, name)) {
        return std::nullopt;
    }
    std::vector<std::uint8_t> out(block.fileSize);
    if (!decodeArchiveFile(file, header, block, name, out)) {
        return std::nullopt;
    }
    return out;
}

} // namespace storm
