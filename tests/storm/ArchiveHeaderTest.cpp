#include "storm/ArchiveHeader.h"

#include "tests/storm/CraftedArchive.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <vector>

namespace {

using quorvell::testing::CraftedArchive;
using quorvell::testing::put32;

std::vector<std::uint8_t> header(std::uint32_t hashOffset, std::uint32_t blockOffset,
                                 std::uint32_t headerSize = 32) {
    std::vector<std::uint8_t> h(32, 0);
    put32(h, 0, 0x1A51504D);
    put32(h, 4, headerSize);
    h[0x0E] = 3;
    put32(h, 0x10, hashOffset);
    put32(h, 0x14, blockOffset);
    put32(h, 0x18, 1);
    put32(h, 0x1C, 1);
    return h;
}

void place(std::vector<std::uint8_t>& file, std::size_t at, const std::vector<std::uint8_t>& h) {
    if (file.size() < at + h.size()) {
        file.resize(at + h.size());
    }
    std::copy(h.begin(), h.end(), file.begin() + static_cast<std::ptrdiff_t>(at));
}

struct HeaderCase {
    const char* what;
    std::function<std::vector<std::uint8_t>()> make;
    std::optional<std::uint32_t> expectedPosition;
};

TEST(FindArchiveHeader, HostileLayouts) {
    const HeaderCase cases[] = {
        {"empty file", [] { return std::vector<std::uint8_t>{}; }, std::nullopt},
        {"shorter than a header", [] { return std::vector<std::uint8_t>(31, 0); }, std::nullopt},
        {"header at 0 without map header",
         [] {
             std::vector<std::uint8_t> f(64, 0);
             place(f, 0, header(32, 48));
             return f;
         },
         0u},
        {"header after a map header",
         [] {
             std::vector<std::uint8_t> f(1024, 0);
             std::memcpy(f.data(), "HM3W", 4);
             place(f, 512, header(32, 48));
             return f;
         },
         512u},
        {"header off the 512-byte grid is not seen",
         [] {
             std::vector<std::uint8_t> f(1024, 0);
             place(f, 256, header(32, 48));
             return f;
         },
         std::nullopt},
        {"header size below 32 is skipped",
         [] {
             std::vector<std::uint8_t> f(2048, 0);
             place(f, 512, header(32, 48, 31));
             place(f, 1024, header(32, 48));
             return f;
         },
         1024u},
        {"forged header size is accepted",
         [] {
             std::vector<std::uint8_t> f(1024, 0);
             place(f, 512, header(32, 48, 0x6D9E4B86));
             return f;
         },
         512u},
        {"user-data block is ignored, never followed",
         [] {
             std::vector<std::uint8_t> f(4096, 0);
             put32(f, 512, 0x1B51504D);
             put32(f, 516, 0x200);
             put32(f, 520, 0x400); // points at the decoy below
             put32(f, 524, 16);
             place(f, 1536, header(32, 48));
             place(f, 2048, header(32, 48));
             return f;
         },
         1536u},
        {"decoy whose hash table starts past the end is skipped",
         [] {
             std::vector<std::uint8_t> f(2048, 0);
             place(f, 512, header(0x100000, 48));
             place(f, 1024, header(32, 48));
             return f;
         },
         1024u},
        {"decoy whose block table starts past the end is skipped",
         [] {
             std::vector<std::uint8_t> f(2048, 0);
             place(f, 512, header(32, 0x7FFFFFFF));
             place(f, 1024, header(32, 48));
             return f;
         },
         1024u},
        {"negative table offsets pointing before the header are fine",
         [] {
             std::vector<std::uint8_t> f(2048, 0);
             place(f, 1024, header(0xFFFFFE00, 0xFFFFFC00)); // 512 and 0
             return f;
         },
         1024u},
        {"table offset wrapping past zero the other way is a decoy",
         [] {
             std::vector<std::uint8_t> f(2048, 0);
             place(f, 1024, header(0xFFFFF000, 48)); // before the start of the file
             return f;
         },
         std::nullopt},
        {"no sector size (shift 23) is skipped",
         [] {
             std::vector<std::uint8_t> f(2048, 0);
             auto h = header(32, 48);
             h[0x0E] = 23;
             place(f, 512, h);
             place(f, 1024, header(32, 48));
             return f;
         },
         1024u},
        {"header deep in the file, near its end",
         [] {
             std::vector<std::uint8_t> f(512 * 400 + 64, 0x4D);
             place(f, 512 * 400, header(0, 0));
             return f;
         },
         512u * 400},
        {"header in the last 31 bytes cannot be whole",
         [] {
             std::vector<std::uint8_t> f(1024 + 16, 0);
             put32(f, 1024, 0x1A51504D);
             put32(f, 1028, 32);
             return f;
         },
         std::nullopt},
    };
    for (const HeaderCase& c : cases) {
        const auto file = c.make();
        const auto found = storm::findArchiveHeader(file);
        if (c.expectedPosition) {
            ASSERT_TRUE(found.has_value()) << c.what;
            EXPECT_EQ(found->position, *c.expectedPosition) << c.what;
        } else {
            EXPECT_FALSE(found.has_value()) << c.what;
        }
    }
}

TEST(FindArchiveHeader, KeepsOnlyWhatTheGameUses) {
    std::vector<std::uint8_t> f(1024, 0);
    auto h = header(32, 48);
    put32(h, 0x08, 0x12345678); // archive size: garbage
    h[0x0C] = 3;                // format version: ignored
    h[0x0E] = 4;                // sector shift
    h[0x0F] = 0x7F;             // high byte of the shift: ignored
    put32(h, 0x18, 0xF0000010); // counts lose their top four bits
    put32(h, 0x1C, 0x40000003);
    place(f, 512, h);
    const auto found = storm::findArchiveHeader(f);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->sectorSize, 512u << 4);
    EXPECT_EQ(found->hashCount, 0x10u);
    EXPECT_EQ(found->blockCount, 3u);
    EXPECT_EQ(found->hashTablePosition(), 512u + 32);
    EXPECT_EQ(found->blockTablePosition(), 512u + 48);
}

TEST(FindArchiveHeader, FindsTheCraftedArchive) {
    CraftedArchive a({{"war3map.j", {1, 2, 3}}});
    const auto found = storm::findArchiveHeader(a.bytes);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->position, 512u);
    EXPECT_EQ(found->hashCount, 16u);
    EXPECT_EQ(found->blockCount, 1u);
}

} // namespace
