// The archive reader on hand-made archives: one row per hostile layout, each with
// the result the game's reader gives.
#include "storm/Archive.h"

#include "storm/Crypto.h"
#include "tests/storm/CraftedArchive.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

using quorvell::testing::bytesOf;
using quorvell::testing::CraftedArchive;
using quorvell::testing::CraftedFile;
using quorvell::testing::get32;
using quorvell::testing::patternBytes;
using quorvell::testing::put32;
using Bytes = std::vector<std::uint8_t>;
namespace flags = storm::blockFlags;

constexpr std::uint32_t exists = flags::exists;

std::optional<Bytes> readFrom(const Bytes& bytes, const std::string& name,
                              std::uint16_t locale = 0) {
    auto archive = storm::Archive::fromBytes(bytes);
    if (!archive) {
        return std::nullopt;
    }
    return archive->readFile(name, locale);
}

const Bytes script = bytesOf("function main takes nothing returns nothing\nendfunction\n");
const Bytes bigScript = patternBytes(3 * 4096 + 123, 7);

struct ReadCase {
    const char* what;
    std::function<Bytes()> make;
    std::string name;
    std::optional<Bytes> expected; // nothing: the file cannot be read
    std::uint16_t locale = 0;
};

// Fills every free slot with an entry that matches nothing.
void fillFreeSlots(CraftedArchive& a) {
    for (auto& e : a.hashes) {
        if (e.block == 0xFFFFFFFF) {
            e = CraftedArchive::entryFor("filler", 0);
        }
    }
}

const ReadCase readCases[] = {
    {"plain file",
     [] {
         return CraftedArchive({{"war3map.j", script}}).bytes;
     },
     "war3map.j", script},
    {"name is case-insensitive",
     [] {
         return CraftedArchive({{"war3map.j", script}}).bytes;
     },
     "WAR3MAP.J", script},
    {"missing name",
     [] {
         return CraftedArchive({{"war3map.j", script}}).bytes;
     },
     "war3map.w", std::nullopt},
    {"backslash is kept, slash is another name",
     [] {
         return CraftedArchive({{"scripts\\war3map.j", script}}).bytes;
     },
     "scripts/war3map.j", std::nullopt},
    {"file in a folder",
     [] {
         return CraftedArchive({{"scripts\\war3map.j", script}}).bytes;
     },
     "Scripts\\war3map.j", script},
    {"empty file",
     [] {
         return CraftedArchive({CraftedFile{"war3map.j", Bytes{}}}).bytes;
     },
     "war3map.j", Bytes{}},
    {"no map header, archive at 0",
     [] {
         return CraftedArchive({{"war3map.j", script}}, 16, 0).bytes;
     },
     "war3map.j", script},
    {"plain file over several sectors, encrypted with fix-key",
     [] {
         return CraftedArchive(
                    {{"war3map.j", bigScript, exists | flags::encrypted | flags::fixKey}})
             .bytes;
     },
     "war3map.j", bigScript},
    {"sectored file with stored sectors",
     [] {
         return CraftedArchive({{"war3map.j", bigScript, exists | flags::compress}}).bytes;
     },
     "war3map.j", bigScript},
    {"sectored, encrypted file in a folder (key of the plain name)",
     [] {
         return CraftedArchive({{"Scripts\\war3map.j", bigScript,
                                 exists | flags::compress | flags::encrypted}})
             .bytes;
     },
     "Scripts\\war3map.j", bigScript},
    {"sectored, encrypted, fix-key",
     [] {
         return CraftedArchive({{"war3map.j", bigScript,
                                 exists | flags::compress | flags::encrypted | flags::fixKey}})
             .bytes;
     },
     "war3map.j", bigScript},
    {"imploded file with stored sectors",
     [] {
         return CraftedArchive({{"war3map.j", bigScript, exists | flags::implode}}).bytes;
     },
     "war3map.j", bigScript},
    {"unknown flag bits, single-unit and patch bits are ignored",
     [] {
         return CraftedArchive({{"war3map.j", bigScript,
                                 exists | flags::compress | flags::singleUnit | 0x00100000 |
                                     0x10000000 | 0x00000800}})
             .bytes;
     },
     "war3map.j", bigScript},
    {"EXISTS clear: not a file",
     [] {
         return CraftedArchive({{"war3map.j", script, 0}}).bytes;
     },
     "war3map.j", std::nullopt},
    {"sector size 512 (shift 0)",
     [] {
         return CraftedArchive({{"war3map.j", bigScript, exists | flags::compress}}, 16, 512, 0)
             .bytes;
     },
     "war3map.j", bigScript},
    {"large sector size (shift 15)",
     [] {
         return CraftedArchive({{"war3map.j", bigScript, exists | flags::compress}}, 16, 512, 15)
             .bytes;
     },
     "war3map.j", bigScript},
    {"deleted entry in the chain is passed over",
     [] {
         CraftedArchive a({{"war3map.j", script}});
         const auto start = CraftedArchive::startSlot("war3map.j", 16);
         const auto found = a.hashes[start];
         a.hashes[start] = CraftedArchive::entryFor("gone", 0);
         a.hashes[start].block = storm::hashEntryDeleted;
         a.hashes[(start + 1) & 15] = found;
         a.rewriteTables();
         return a.bytes;
     },
     "war3map.j", script},
    {"empty entry before the file ends the search",
     [] {
         CraftedArchive a({{"war3map.j", script}});
         const auto start = CraftedArchive::startSlot("war3map.j", 16);
         const auto found = a.hashes[start];
         a.hashes[start].block = storm::hashEntryEmpty;
         a.hashes[(start + 1) & 15] = found;
         a.rewriteTables();
         return a.bytes;
     },
     "war3map.j", std::nullopt},
    {"a deleted entry of the name itself is not the file",
     [] {
         CraftedArchive a({{"war3map.j", script}});
         a.hashes[CraftedArchive::startSlot("war3map.j", 16)].block = storm::hashEntryDeleted;
         a.rewriteTables();
         return a.bytes;
     },
     "war3map.j", std::nullopt},
    {"block index with high bits set is masked",
     [] {
         CraftedArchive a({{"war3map.j", script}});
         a.hashes[CraftedArchive::startSlot("war3map.j", 16)].block = 0x40000000;
         a.rewriteTables();
         return a.bytes;
     },
     "war3map.j", script},
    {"block index out of range is skipped, the next entry used",
     [] {
         CraftedArchive a({{"decoy", bytesOf("x")}, {"war3map.j", script}});
         const auto start = CraftedArchive::startSlot("war3map.j", 16);
         for (auto& e : a.hashes) {
             if (e.block == 1) {
                 e.block = storm::hashEntryEmpty;
             }
         }
         a.hashes[start] = CraftedArchive::entryFor("war3map.j", 0x0FFFFFF0);
         a.hashes[(start + 1) & 15] = CraftedArchive::entryFor("war3map.j", 1);
         a.rewriteTables();
         return a.bytes;
     },
     "war3map.j", script},
    {"duplicate neutral entries: the last one in probe order wins",
     [] {
         CraftedArchive a({{"war3map.j", bytesOf("first")}, {"war3map.j", bytesOf("second")}});
         return a.bytes;
     },
     "war3map.j", bytesOf("second")},
    {"unreadable last entry falls back to the earlier one",
     [] {
         CraftedArchive a({{"war3map.j", bytesOf("first")}, {"war3map.j", bytesOf("second")}});
         a.blocks[1].offset = 0x7FFFFFF0; // data past the end of the file
         a.rewriteTables();
         return a.bytes;
     },
     "war3map.j", bytesOf("first")},
    {"wanted locale is preferred over neutral",
     [] {
         return CraftedArchive({{"war3map.j", bytesOf("neutral")},
                                {"war3map.j", bytesOf("english"), exists, 1033},
                                {"war3map.j", bytesOf("korean"), exists, 0x412}})
             .bytes;
     },
     "war3map.j", bytesOf("english"), 1033},
    {"other locales lose to neutral",
     [] {
         return CraftedArchive({{"war3map.j", bytesOf("korean"), exists, 0x412},
                                {"war3map.j", bytesOf("neutral")}})
             .bytes;
     },
     "war3map.j", bytesOf("neutral"), 1033},
    {"a file only in another locale is still found",
     [] {
         return CraftedArchive({{"war3map.j", bytesOf("korean"), exists, 0x412}}).bytes;
     },
     "war3map.j", bytesOf("korean"), 1033},
    {"two names share one block",
     [] {
         CraftedArchive a({{"war3map.j", script}});
         a.hashes[(CraftedArchive::startSlot("scripts\\war3map.j", 16))] =
             CraftedArchive::entryFor("scripts\\war3map.j", 0);
         a.rewriteTables();
         return a.bytes;
     },
     "scripts\\war3map.j", script},
    {"hash table count not a power of two (6): masked probing still finds the file",
     [] {
         CraftedArchive a({{"war3map.j", script}}, 8);
         // Rebuild as a 6-entry table probed with mask 5.
         a.hashes.assign(6, storm::HashEntry{0xFFFFFFFF, 0xFFFFFFFF, 0xFFFF, 0xFF, 0xFFFFFFFF});
         a.hashes[storm::hashName("war3map.j", storm::HashType::tableSlot) & 5] =
             CraftedArchive::entryFor("war3map.j", 0);
         a.rewriteTables();
         return a.bytes;
     },
     "war3map.j", script},
    {"hash table count not a power of two, full of other names: no hang",
     [] {
         CraftedArchive a({{"other", script}}, 8);
         a.hashes.assign(6, CraftedArchive::entryFor("other", 0));
         a.rewriteTables();
         return a.bytes;
     },
     "war3map.j", std::nullopt},
    {"hash count 0: nothing is findable",
     [] {
         CraftedArchive a({{"war3map.j", script}});
         a.setHeader32(0x18, 0);
         return a.bytes;
     },
     "war3map.j", std::nullopt},
    {"counts with the top four bits set are masked",
     [] {
         CraftedArchive a({{"war3map.j", script}});
         a.setHeader32(0x18, 0xF0000010);
         a.setHeader32(0x1C, 0x30000001);
         return a.bytes;
     },
     "war3map.j", script},
    {"huge hash count, table cut by the end of the file: probe goes on at slot 0",
     [] {
         CraftedArchive a({{"war3map.j", script}});
         fillFreeSlots(a);
         // Move the block table before the hash table, so the hash table ends the file.
         a.blockTablePosition = a.hashTablePosition;
         a.hashTablePosition += 16;
         a.rewriteTables();
         a.setHeader32(0x18, 0x100000);
         return a.bytes;
     },
     "war3map.j", script},
    {"huge hash count, empty slot 0: not found, as in the game",
     [] {
         CraftedArchive a({{"war3map.j", script}});
         a.blockTablePosition = a.hashTablePosition;
         a.hashTablePosition += 16;
         a.hashes[0].block = storm::hashEntryEmpty;
         if (CraftedArchive::startSlot("war3map.j", 16) == 0) {
             a.hashes[0] = CraftedArchive::entryFor("war3map.j", 7); // out of range
         }
         a.rewriteTables();
         a.setHeader32(0x18, 0x100000);
         return a.bytes;
     },
     "war3map.j", std::nullopt},
    {"huge block count is cut to the entries present",
     [] {
         CraftedArchive a({{"war3map.j", script}});
         a.setHeader32(0x1C, 0x319601);
         return a.bytes;
     },
     "war3map.j", script},
    {"block table placed before the header (negative offset)",
     [] {
         CraftedArchive a({{"war3map.j", script}});
         a.blockTablePosition = 16; // inside the map header area
         a.rewriteTables();
         return a.bytes;
     },
     "war3map.j", script},
    {"hash table at offset 0, overlapping the header: read, finds nothing useful",
     [] {
         CraftedArchive a({{"war3map.j", script}});
         a.setHeader32(0x10, 0);
         return a.bytes;
     },
     "war3map.j", std::nullopt},
    {"block table wholly past the end: the header is a decoy",
     [] {
         CraftedArchive a({{"war3map.j", script}});
         a.setHeader32(0x14, 0x10000000);
         return a.bytes;
     },
     "war3map.j", std::nullopt},
    {"block table starting at the end: no blocks",
     [] {
         CraftedArchive a({{"war3map.j", script}});
         a.bytes.resize(a.blockTablePosition);
         return a.bytes;
     },
     "war3map.j", std::nullopt},
    {"file data starting past the end of the file",
     [] {
         CraftedArchive a({{"war3map.j", script}});
         a.blocks[0].offset = 0x00100000;
         a.rewriteTables();
         return a.bytes;
     },
     "war3map.j", std::nullopt},
    {"uncompressed file larger than the map",
     [] {
         CraftedArchive a({{"war3map.j", script}});
         a.blocks[0].fileSize = 0x00200000;
         a.rewriteTables();
         return a.bytes;
     },
     "war3map.j", std::nullopt},
    {"fake file of 3 GiB",
     [] {
         CraftedArchive a({{"war3map.j", script, exists | flags::compress}});
         a.blocks[0].fileSize = 0xC0000000;
         a.rewriteTables();
         return a.bytes;
     },
     "war3map.j", std::nullopt},
    {"forged stored size is not used for sectored files",
     [] {
         CraftedArchive a({{"war3map.j", bigScript, exists | flags::compress}});
         a.blocks[0].storedSize = 0xFFFFFFFF;
         a.rewriteTables();
         return a.bytes;
     },
     "war3map.j", bigScript},
    {"overlapping blocks: two files over the same bytes",
     [] {
         CraftedArchive a({{"a.txt", bytesOf("abcdefgh")}, {"b.txt", bytesOf("zz")}});
         a.blocks[1].offset = a.blocks[0].offset + 2;
         a.blocks[1].fileSize = 4;
         a.rewriteTables();
         return a.bytes;
     },
     "b.txt", bytesOf("cdef")},
};

TEST(ArchiveRead, HostileLayouts) {
    for (const ReadCase& c : readCases) {
        SCOPED_TRACE(c.what);
        const auto got = readFrom(c.make(), c.name, c.locale);
        if (c.expected) {
            ASSERT_TRUE(got.has_value());
            EXPECT_EQ(*got, *c.expected);
        } else {
            EXPECT_FALSE(got.has_value());
        }
    }
}

// Sector tables bent in place: offsets of the sectored file's table entries.
struct SectorCase {
    const char* what;
    std::function<void(CraftedArchive&, std::size_t table, std::size_t sectors)> bend;
    bool readable;
};

TEST(ArchiveRead, BadSectorTables) {
    const SectorCase cases[] = {
        {"untouched", [](CraftedArchive&, std::size_t, std::size_t) {}, true},
        {"decreasing entries",
         [](CraftedArchive& a, std::size_t t, std::size_t) {
             put32(a.bytes, t + 8, get32(a.bytes, t + 4) - 8);
         },
         false},
        {"last sector past the end of the file",
         [](CraftedArchive& a, std::size_t t, std::size_t n) {
             put32(a.bytes, t + 4 * n, 0x7FFFFFFF);
         },
         false},
        {"sector start wrapping before the file",
         [](CraftedArchive& a, std::size_t t, std::size_t) { put32(a.bytes, t, 0xF0000000); },
         false},
        {"table entries all equal: empty sectors read as zeros",
         [](CraftedArchive& a, std::size_t t, std::size_t n) {
             for (std::size_t j = 0; j <= n; ++j) {
                 put32(a.bytes, t + 4 * j, 0);
             }
         },
         true},
        {"sector with an unknown compression method",
         [](CraftedArchive& a, std::size_t t, std::size_t) {
             // Shorten sector 0 by one byte, so it counts as compressed, and give it
             // the mask byte of a method nobody knows.
             const std::uint32_t begin = get32(a.bytes, t);
             put32(a.bytes, t, begin + 1);
             a.bytes[t + begin + 1] = 0x04;
         },
         false},
    };
    for (const SectorCase& c : cases) {
        SCOPED_TRACE(c.what);
        CraftedArchive a({{"war3map.j", bigScript, exists | flags::compress}});
        const std::size_t table = a.headerPosition + a.blocks[0].offset;
        const std::size_t sectors = (bigScript.size() + a.sectorSize - 1) / a.sectorSize;
        c.bend(a, table, sectors);
        const auto got = readFrom(a.bytes, "war3map.j");
        EXPECT_EQ(got.has_value(), c.readable);
        if (got) {
            EXPECT_EQ(got->size(), bigScript.size());
        }
    }
}

TEST(ArchiveRead, SectorsBeforeTheTableAndExtraWords) {
    // Data placed before the sector table: entries wrap "negative". Entry 0 may also
    // point past unknown words that follow the table.
    CraftedArchive a({CraftedFile{"war3map.j", Bytes{}}});
    const std::uint32_t dataOffset = a.append(bigScript);
    const std::size_t sectors = (bigScript.size() + a.sectorSize - 1) / a.sectorSize;
    std::vector<std::uint8_t> table((sectors + 1) * 4 + 12, 0xAB);
    const std::uint32_t tableOffset = dataOffset + static_cast<std::uint32_t>(bigScript.size());
    for (std::size_t j = 0; j <= sectors; ++j) {
        const std::size_t at = std::min(j * a.sectorSize, bigScript.size());
        put32(table, j * 4, static_cast<std::uint32_t>(dataOffset + at - tableOffset));
    }
    a.append(table);
    a.blocks[0] = {tableOffset, 0, static_cast<std::uint32_t>(bigScript.size()),
                   exists | flags::compress};
    a.hashTablePosition = static_cast<std::uint32_t>(a.bytes.size());
    a.blockTablePosition = a.hashTablePosition + 16 * 16;
    a.rewriteTables();
    const auto got = readFrom(a.bytes, "war3map.j");
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(*got, bigScript);
}

TEST(ArchiveRead, EncryptedNameWithSlashUsesTheSlashRuleWhenTheTableSaysSo) {
    // A writer that cut the name at '/' for the key: the sector table only checks out
    // with that rule, so the reader takes it.
    CraftedArchive a({CraftedFile{"dir/war3map.j", Bytes{}}});
    // Store as if the name were "war3map.j" (the key the writer used), under "dir/war3map.j".
    CraftedArchive keyed({{"war3map.j", bigScript, exists | flags::compress | flags::encrypted}});
    const auto block = keyed.blocks[0];
    const std::size_t start = keyed.headerPosition + block.offset;
    const std::vector<std::uint8_t> body(keyed.bytes.begin() + static_cast<std::ptrdiff_t>(start),
                                         keyed.bytes.begin() +
                                             static_cast<std::ptrdiff_t>(start + block.storedSize));
    // The key does not depend on the position without fix-key, so the body can move.
    const std::uint32_t offset = a.append(body);
    a.blocks[0] = {offset, block.storedSize, block.fileSize, block.flags};
    a.hashTablePosition = static_cast<std::uint32_t>(a.bytes.size());
    a.blockTablePosition = a.hashTablePosition + 16 * 16;
    a.rewriteTables();
    const auto got = readFrom(a.bytes, "dir/war3map.j");
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(*got, bigScript);
}

TEST(ArchiveRead, TruncationsOfACraftedArchiveNeverBreak) {
    const CraftedArchive a(
        {{"war3map.j", bigScript, exists | flags::compress | flags::encrypted}, {"b", script}});
    for (std::size_t size = 0; size <= a.bytes.size(); size += 7) {
        const Bytes cut(a.bytes.begin(), a.bytes.begin() + static_cast<std::ptrdiff_t>(size));
        const auto got = readFrom(cut, "war3map.j");
        if (got) {
            EXPECT_EQ(got->size(), bigScript.size());
        }
    }
}

} // namespace
