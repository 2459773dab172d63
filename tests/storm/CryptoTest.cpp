#include "storm/Crypto.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using storm::HashType;

TEST(CryptTable, MatchesKnownValues) {
    const auto& t = storm::cryptTable();
    EXPECT_EQ(t[0x000], 0x55C636E2u);
    EXPECT_EQ(t[0x001], 0x02BE0170u);
    EXPECT_EQ(t[0x100], 0x76F8C1B1u);
    EXPECT_EQ(t[0x200], 0x3DF6965Du);
    EXPECT_EQ(t[0x300], 0x15F261D3u);
    EXPECT_EQ(t[0x400], 0x193AA698u);
    EXPECT_EQ(t[0x4FF], 0x7303286Cu);
}

struct HashCase {
    const char* name;
    HashType type;
    std::uint32_t expected;
};

TEST(HashName, KnownVectors) {
    const HashCase cases[] = {
        {"(hash table)", HashType::fileKey, 0xC3AF3770},
        {"(block table)", HashType::fileKey, 0xEC83B3A3},
        {"war3map.j", HashType::tableSlot, 0x0CCA3BE6},
        {"war3map.j", HashType::nameA, 0xC99707E7},
        {"war3map.j", HashType::nameB, 0x95B8144E},
        {"war3map.j", HashType::fileKey, 0x54556402},
        {"scripts\\war3map.j", HashType::tableSlot, 0xC6DFA0E6},
        {"scripts\\war3map.j", HashType::nameA, 0xA062C60A},
        {"scripts\\war3map.j", HashType::nameB, 0x3982F334},
        {"scripts\\war3map.j", HashType::fileKey, 0xE6AAF949},
        {"(listfile)", HashType::tableSlot, 0x5F3DE859},
        {"(listfile)", HashType::nameA, 0xFD657910},
        {"(listfile)", HashType::nameB, 0x4E9B98A7},
        {"(listfile)", HashType::fileKey, 0x2D2F0A94},
        {"war3map.wts", HashType::tableSlot, 0x7D093CD5},
        {"war3map.wts", HashType::nameA, 0x51C4C30E},
        {"war3map.wts", HashType::nameB, 0x1261CB7B},
        {"war3map.wts", HashType::fileKey, 0xC52E83DD},
        // Upper case is the same name; '/' is not '\'.
        {"SCRIPTS\\WAR3MAP.J", HashType::tableSlot, 0xC6DFA0E6},
        {"SCRIPTS\\WAR3MAP.J", HashType::fileKey, 0xE6AAF949},
        {"scripts/war3map.j", HashType::tableSlot, 0x97EC64A8},
    };
    for (const HashCase& c : cases) {
        EXPECT_EQ(storm::hashName(c.name, c.type), c.expected)
            << c.name << " type " << static_cast<int>(c.type);
    }
}

TEST(HashName, HighBytesDoNotReadOutsideTheTable) {
    // Bytes from 0x80 up index the table as unsigned values (ASan would catch a
    // negative index).
    const std::string name = "\xFF\x80\xC3\xA9.j";
    EXPECT_NE(storm::hashName(name, HashType::nameA), storm::hashName("x.j", HashType::nameA));
}

TEST(Cipher, EncryptsTheKnownVector) {
    std::array<std::uint8_t, 16> block;
    block.fill(0xFF);
    storm::encryptBlock(block.data(), block.size(), storm::hashTableKey);
    const std::array<std::uint8_t, 16> expected{0x33, 0x30, 0xC3, 0x79, 0x28, 0xD9, 0x32, 0x98,
                                                0xBC, 0x73, 0x6F, 0x9F, 0xB2, 0x88, 0x4E, 0xE9};
    EXPECT_EQ(block, expected);
    storm::decryptBlock(block.data(), block.size(), storm::hashTableKey);
    for (const std::uint8_t b : block) {
        EXPECT_EQ(b, 0xFF);
    }
}

TEST(Cipher, LeavesTrailingBytesAndRoundTrips) {
    std::vector<std::uint8_t> data{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11};
    const auto original = data;
    storm::encryptBlock(data.data(), data.size(), 0x12345678);
    EXPECT_NE(data, original);
    EXPECT_EQ(data[8], 9);
    EXPECT_EQ(data[9], 10);
    EXPECT_EQ(data[10], 11);
    storm::decryptBlock(data.data(), data.size(), 0x12345678);
    EXPECT_EQ(data, original);
    // Fewer than four bytes: nothing to do.
    std::vector<std::uint8_t> tiny{1, 2, 3};
    storm::decryptBlock(tiny.data(), tiny.size(), 0x12345678);
    EXPECT_EQ(tiny, (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST(FileKey, UsesThePlainNameAndTheFixKeyAdjustment) {
    using storm::KeyName;
    const std::uint32_t plain = 0x54556402; // "war3map.j", type 3
    EXPECT_EQ(storm::fileKey("war3map.j", KeyName::afterBackslash, false, 0, 0), plain);
    EXPECT_EQ(storm::fileKey("Scripts\\war3map.j", KeyName::afterBackslash, false, 7, 9), plain);
    EXPECT_EQ(storm::fileKey("Scripts\\war3map.j", KeyName::afterBackslash, true, 0x1000, 0x55),
              (plain + 0x1000) ^ 0x55u);
    // The position wraps in 32 bits.
    EXPECT_EQ(storm::fileKey("war3map.j", KeyName::afterBackslash, true, 0xFFFFFFFF, 0), plain - 1);
    // '/' only counts with the slash rule; the whole-name rule keeps the folder.
    EXPECT_NE(storm::fileKey("dir/war3map.j", KeyName::afterBackslash, false, 0, 0), plain);
    EXPECT_EQ(storm::fileKey("dir/war3map.j", KeyName::afterAnySlash, false, 0, 0), plain);
    EXPECT_EQ(storm::fileKey("Scripts\\war3map.j", KeyName::wholeName, false, 0, 0), 0xE6AAF949u);
}

} // namespace
