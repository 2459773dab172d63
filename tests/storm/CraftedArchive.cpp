#include "tests/storm/CraftedArchive.h"

#include "storm/Crypto.h"

#include <cstring>
#include <stdexcept>

namespace quorvell::testing {

using storm::BlockEntry;
using storm::HashEntry;
namespace flags = storm::blockFlags;

void put32(std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t value) {
    if (bytes.size() < at + 4) {
        bytes.resize(at + 4);
    }
    for (int i = 0; i < 4; ++i) {
        bytes[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint32_t get32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | bytes.at(at + static_cast<std::size_t>(i));
    }
    return value;
}

std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return {text.begin(), text.end()};
}

std::vector<std::uint8_t> patternBytes(std::size_t size, std::uint32_t seed) {
    std::vector<std::uint8_t> out(size);
    std::uint32_t s = seed;
    for (auto& b : out) {
        s = s * 1103515245u + 12345u;
        b = static_cast<std::uint8_t>(s >> 16);
    }
    return out;
}

CraftedArchive::CraftedArchive(const std::vector<CraftedFile>& files, std::uint32_t hashCount,
                               std::uint32_t prefix, std::uint32_t sectorShift)
    : headerPosition(prefix), sectorSize(512u << sectorShift) {
    bytes.assign(prefix, 0);
    if (prefix >= 512) {
        std::memcpy(bytes.data(), "HM3W", 4);
    }
    bytes.resize(prefix + 32);
    put32(bytes, prefix, 0x1A51504D);
    put32(bytes, prefix + 4, 32);
    bytes[prefix + 0x0E] = static_cast<std::uint8_t>(sectorShift);
    hashes.assign(hashCount, HashEntry{0xFFFFFFFF, 0xFFFFFFFF, 0xFFFF, 0xFF, 0xFFFFFFFF});
    for (const CraftedFile& f : files) {
        BlockEntry block;
        if (f.flags & (flags::compress | flags::implode)) {
            block = appendSectored(f.name, f.content, f.flags);
        } else {
            std::vector<std::uint8_t> data = f.content;
            const std::uint32_t offset = static_cast<std::uint32_t>(bytes.size()) - headerPosition;
            block = BlockEntry{offset, static_cast<std::uint32_t>(data.size()),
                               static_cast<std::uint32_t>(data.size()), f.flags};
            if (f.flags & flags::encrypted) {
                const std::uint32_t key =
                    storm::fileKey(f.name, storm::KeyName::afterBackslash,
                                   (f.flags & flags::fixKey) != 0, offset, block.fileSize);
                for (std::size_t at = 0, i = 0; at < data.size(); at += sectorSize, ++i) {
                    const std::size_t n = std::min<std::size_t>(sectorSize, data.size() - at);
                    storm::encryptBlock(data.data() + at, n, key + static_cast<std::uint32_t>(i));
                }
            }
            append(data);
        }
        const auto index = static_cast<std::uint32_t>(blocks.size());
        blocks.push_back(block);
        if (hashCount == 0) {
            continue;
        }
        std::uint32_t slot = startSlot(f.name, hashCount);
        for (std::uint32_t tries = 0; hashes[slot].block != 0xFFFFFFFF; ++tries) {
            if (tries > hashCount) {
                throw std::runtime_error("crafted hash table is full");
            }
            slot = (slot + 1) & (hashCount - 1);
        }
        hashes[slot] = entryFor(f.name, index, f.locale);
    }
    hashTablePosition = static_cast<std::uint32_t>(bytes.size());
    blockTablePosition = hashTablePosition + hashCount * 16;
    rewriteTables();
}

std::uint32_t CraftedArchive::append(const std::vector<std::uint8_t>& data) {
    const std::uint32_t offset = static_cast<std::uint32_t>(bytes.size()) - headerPosition;
    bytes.insert(bytes.end(), data.begin(), data.end());
    return offset;
}

BlockEntry CraftedArchive::appendSectored(const std::string& name,
                                          const std::vector<std::uint8_t>& content,
                                          std::uint32_t fileFlags) {
    const std::size_t sectors = (content.size() + sectorSize - 1) / sectorSize;
    const std::uint32_t offset = static_cast<std::uint32_t>(bytes.size()) - headerPosition;
    std::vector<std::uint8_t> table((sectors + 1) * 4);
    std::vector<std::uint8_t> data;
    std::uint32_t at = static_cast<std::uint32_t>(table.size());
    const auto size = static_cast<std::uint32_t>(content.size());
    const std::uint32_t key = storm::fileKey(name, storm::KeyName::afterBackslash,
                                             (fileFlags & flags::fixKey) != 0, offset, size);
    for (std::size_t i = 0; i < sectors; ++i) {
        put32(table, i * 4, at);
        const std::size_t begin = i * sectorSize;
        const std::size_t n = std::min<std::size_t>(sectorSize, content.size() - begin);
        std::vector<std::uint8_t> sector(content.begin() + static_cast<std::ptrdiff_t>(begin),
                                         content.begin() + static_cast<std::ptrdiff_t>(begin + n));
        if (fileFlags & flags::encrypted) {
            storm::encryptBlock(sector.data(), sector.size(), key + static_cast<std::uint32_t>(i));
        }
        data.insert(data.end(), sector.begin(), sector.end());
        at += static_cast<std::uint32_t>(n);
    }
    put32(table, sectors * 4, at);
    if (fileFlags & flags::encrypted) {
        storm::encryptBlock(table.data(), table.size(), key - 1);
    }
    append(table);
    append(data);
    return BlockEntry{offset, at, size, fileFlags};
}

void CraftedArchive::rewriteTables() {
    std::vector<std::uint8_t> hashBytes(hashes.size() * 16);
    for (std::size_t i = 0; i < hashes.size(); ++i) {
        const HashEntry& e = hashes[i];
        put32(hashBytes, i * 16, e.nameA);
        put32(hashBytes, i * 16 + 4, e.nameB);
        put32(hashBytes, i * 16 + 8,
              static_cast<std::uint32_t>(e.locale) |
                  (static_cast<std::uint32_t>(e.platform) << 16) |
                  (e.platform == 0xFF ? 0xFF000000u : 0u));
        put32(hashBytes, i * 16 + 12, e.block);
    }
    storm::encryptBlock(hashBytes.data(), hashBytes.size(), storm::hashTableKey);
    std::vector<std::uint8_t> blockBytes(blocks.size() * 16);
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        put32(blockBytes, i * 16, blocks[i].offset);
        put32(blockBytes, i * 16 + 4, blocks[i].storedSize);
        put32(blockBytes, i * 16 + 8, blocks[i].fileSize);
        put32(blockBytes, i * 16 + 12, blocks[i].flags);
    }
    storm::encryptBlock(blockBytes.data(), blockBytes.size(), storm::blockTableKey);
    auto place = [this](std::uint32_t at, const std::vector<std::uint8_t>& data) {
        if (bytes.size() < at + data.size()) {
            bytes.resize(at + data.size());
        }
        std::copy(data.begin(), data.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at));
    };
    place(hashTablePosition, hashBytes);
    place(blockTablePosition, blockBytes);
    setHeader32(0x10, hashTablePosition - headerPosition);
    setHeader32(0x14, blockTablePosition - headerPosition);
    setHeader32(0x18, static_cast<std::uint32_t>(hashes.size()));
    setHeader32(0x1C, static_cast<std::uint32_t>(blocks.size()));
    setHeader32(0x08, static_cast<std::uint32_t>(bytes.size()) - headerPosition);
}

void CraftedArchive::setHeader32(std::uint32_t offset, std::uint32_t value) {
    put32(bytes, headerPosition + offset, value);
}

std::uint32_t CraftedArchive::header32(std::uint32_t offset) const {
    return get32(bytes, headerPosition + offset);
}

std::uint32_t CraftedArchive::startSlot(const std::string& name, std::uint32_t count) {
    return storm::hashName(name, storm::HashType::tableSlot) & (count - 1);
}

HashEntry CraftedArchive::entryFor(const std::string& name, std::uint32_t block,
                                   std::uint16_t locale) {
    return HashEntry{storm::hashName(name, storm::HashType::nameA),
                     storm::hashName(name, storm::HashType::nameB), locale, 0, block};
}

} // namespace quorvell::testing
