#include "storm/Archive.h"

#include "storm/ArchiveFile.h"

#include <algorithm>
#include <cstdio>
#include <new>

namespace storm {

Archive::Archive(std::vector<std::uint8_t> bytes, const ArchiveHeader& header)
    : bytes_(std::move(bytes)), header_(header), tables_(bytes_, header_) {}

std::optional<Archive> Archive::fromBytes(std::vector<std::uint8_t> bytes) {
    const auto header = findArchiveHeader(bytes);
    if (!header) {
        return std::nullopt;
    }
    return Archive(std::move(bytes), *header);
}

std::optional<Archive> Archive::open(const char* path) {
    // fopen takes the path in the system's code page on Windows, as the callers give it.
    std::FILE* f = std::fopen(path, "rb");
    if (f == nullptr) {
        return std::nullopt;
    }
    // Read straight into the buffer: sized from the file's length when it is known (one
    // byte more, to see the end), grown when the file turns out longer.
    std::vector<std::uint8_t> bytes;
    bool ok = true;
    try {
        std::size_t capacity = 0x10000;
        if (std::fseek(f, 0, SEEK_END) == 0) {
            const long size = std::ftell(f);
            if (size > 0 && static_cast<std::uint64_t>(size) <= maxArchiveFileSize) {
                capacity = static_cast<std::size_t>(size) + 1;
            }
            std::rewind(f);
        }
        bytes.resize(capacity);
        std::size_t used = 0;
        for (;;) {
            if (used == bytes.size()) {
                if (bytes.size() > maxArchiveFileSize) {
                    ok = false;
                    break;
                }
                bytes.resize(std::min<std::size_t>(bytes.size() * 2, maxArchiveFileSize + 1));
            }
            const std::size_t got = std::fread(bytes.data() + used, 1, bytes.size() - used, f);
            if (got == 0) {
                ok = std::ferror(f) == 0;
                break;
            }
            used += got;
        }
        bytes.resize(used);
    } catch (const std::bad_alloc&) {
        ok = false;
    }
    std::fclose(f);
    if (!ok) {
        return std::nullopt;
    }
    return fromBytes(std::move(bytes));
}

std::optional<std::vector<std::uint8_t>> Archive::readFile(std::string_view name,
                                                           std::uint16_t locale) const {
    for (const std::uint32_t index : tables_.candidates(name, locale)) {
        if (auto content = readArchiveFile(bytes_, header_, tables_.blocks()[index], name)) {
            return content;
        }
    }
    return std::nullopt;
}

bool Archive::locatable(std::uint32_t index, std::string_view name) const {
    return archiveFileLocatable(bytes_, header_, tables_.blocks()[index], name);
}

bool Archive::decode(std::uint32_t index, std::string_view name, std::span<std::uint8_t> out) const {
    return decodeArchiveFile(bytes_, header_, tables_.blocks()[index], name, out);
}

} // namespace storm
