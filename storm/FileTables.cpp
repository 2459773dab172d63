#include "storm/FileTables.h"

#include "storm/Bytes.h"
#include "storm/Crypto.h"

#include <algorithm>

namespace storm {
namespace {

constexpr std::size_t entrySize = 16;

// The whole entries of a table at `position` with `count` declared entries that lie
// inside the file, decrypted with `key`.
std::vector<std::uint8_t> readTable(std::span<const std::uint8_t> file, std::uint32_t position,
                                    std::uint32_t count, std::uint32_t key) {
    if (position >= file.size()) {
        return {};
    }
    const std::size_t available = (file.size() - position) / entrySize;
    const std::size_t present = std::min<std::size_t>(count, available);
    const std::uint8_t* first = file.data() + position;
    std::vector<std::uint8_t> bytes(first, first + present * entrySize);
    decryptBlock(bytes.data(), bytes.size(), key);
    return bytes;
}

} // namespace

FileTables::FileTables(std::span<const std::uint8_t> file, const ArchiveHeader& header)
    : hashCount_(header.hashCount) {
    const auto hashBytes =
        readTable(file, header.hashTablePosition(), header.hashCount, hashTableKey);
    hashes_.resize(hashBytes.size() / entrySize);
    for (std::size_t i = 0; i < hashes_.size(); ++i) {
        const std::uint8_t* e = hashBytes.data() + i * entrySize;
        hashes_[i] =
            HashEntry{loadLe32(e), loadLe32(e + 4), loadLe16(e + 8), e[10], loadLe32(e + 12)};
    }
    const auto blockBytes =
        readTable(file, header.blockTablePosition(), header.blockCount, blockTableKey);
    blocks_.resize(blockBytes.size() / entrySize);
    for (std::size_t i = 0; i < blocks_.size(); ++i) {
        const std::uint8_t* e = blockBytes.data() + i * entrySize;
        blocks_[i] = BlockEntry{loadLe32(e), loadLe32(e + 4), loadLe32(e + 8), loadLe32(e + 12)};
    }
}

std::vector<std::uint32_t> FileTables::candidates(std::string_view name,
                                                  std::uint16_t locale) const {
    struct Match {
        std::uint16_t locale;
        std::uint8_t platform;
        std::uint32_t block;
    };
    std::vector<Match> matches;
    const std::uint32_t count = hashCount_;
    if (count == 0 || hashes_.empty()) {
        return {};
    }
    const std::uint32_t mask = count - 1;
    // The lowest bits of the mask that are all set: within them the probe counts up
    // one by one; past them it falls back to the slot with those bits cleared.
    std::uint32_t low = 0;
    while (low < 32 && (mask >> low & 1u) != 0) {
        ++low;
    }
    const std::uint32_t lowMask = low >= 32 ? 0xFFFFFFFFu : (1u << low) - 1;
    const std::size_t present = hashes_.size();
    const std::uint32_t nameA = hashName(name, HashType::nameA);
    const std::uint32_t nameB = hashName(name, HashType::nameB);
    const std::uint32_t start = hashName(name, HashType::tableSlot) & mask;

    std::uint32_t slot = start;
    std::uint64_t steps = 0;
    while (steps < count) {
        if (slot >= present) {
            // A missing slot counts as occupied and never matches. Skip the run of
            // missing slots the probe walks through in one go.
            const std::uint32_t runEnd = slot | lowMask; // last slot before the fall-back
            if (start > slot && start <= runEnd) {
                break; // the probe came round to its start
            }
            const std::uint32_t next = slot & ~lowMask;
            steps += static_cast<std::uint64_t>(runEnd - slot) + 1;
            if (next >= present) {
                break; // the probe would cycle over missing slots only
            }
            slot = next;
            if (slot == start || steps >= count) {
                break;
            }
            continue;
        }
        const HashEntry& e = hashes_[slot];
        if (e.block == hashEntryEmpty) {
            break;
        }
        if (e.nameA == nameA && e.nameB == nameB && e.block != hashEntryDeleted) {
            const std::uint32_t index = e.block & blockIndexMask;
            if (index < blocks_.size()) {
                matches.push_back({e.locale, e.platform, index});
            }
        }
        ++steps;
        slot = (slot + 1) & mask;
        if (slot == start) {
            break;
        }
    }

    std::vector<std::uint32_t> order;
    order.reserve(matches.size());
    std::vector<bool> taken(matches.size(), false);
    auto take = [&](std::size_t i) {
        if (!taken[i]) {
            taken[i] = true;
            order.push_back(matches[i].block);
        }
    };
    if (locale != 0) {
        for (std::size_t i = 0; i < matches.size(); ++i) {
            if (matches[i].locale == locale && matches[i].platform == 0) {
                take(i);
                break;
            }
        }
    }
    for (std::size_t i = matches.size(); i-- > 0;) {
        if ((matches[i].locale == 0 || matches[i].locale == locale) && matches[i].platform == 0) {
            take(i);
        }
    }
    for (std::size_t i = matches.size(); i-- > 0;) {
        take(i);
    }
    return order;
}

} // namespace storm
