#include "storm/Archive.h"

#include "storm/ArchiveFile.h"

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
    std::vector<std::uint8_t> bytes;
    bool ok = true;
    std::uint8_t chunk[65536];
    try {
        if (std::fseek(f, 0, SEEK_END) == 0) {
            const long size = std::ftell(f);
            if (size > 0 && static_cast<std::uint64_t>(size) <= maxArchiveFileSize) {
                bytes.reserve(static_cast<std::size_t>(size));
            }
            std::rewind(f);
        }
        for (;;) {
            const std::size_t got = std::fread(chunk, 1, sizeof(chunk), f);
            if (got == 0) {
                ok = std::ferror(f) == 0;
                break;
            }
            if (bytes.size() + got > maxArchiveFileSize) {
                ok = false;
                break;
            }
            bytes.insert(bytes.end(), chunk, chunk + got);
        }
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

} // namespace storm
