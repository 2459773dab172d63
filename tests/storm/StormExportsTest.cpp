// The entry points' contract: what the opens, the size and read calls and the closes
// promise their callers, including handles that were never handed out.
#include "storm/StormExports.h"

#include "tests/storm/CraftedArchive.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using quorvell::testing::bytesOf;
using quorvell::testing::CraftedArchive;
using quorvell::testing::CraftedFile;
using Bytes = std::vector<std::uint8_t>;

const Bytes script = bytesOf("function main takes nothing returns nothing\r\nendfunction\r\n");

class StormExportsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path_ = (std::filesystem::temp_directory_path() /
                 ("quorvell-exports-" + std::to_string(std::rand()) + ".w3x"))
                    .string();
        const CraftedArchive a(
            {CraftedFile{"war3map.j", script}, CraftedFile{"empty.txt", Bytes{}},
             CraftedFile{"war3map.j", bytesOf("english"), storm::blockFlags::exists, 1033}});
        std::ofstream out(path_, std::ios::binary);
        out.write(reinterpret_cast<const char*>(a.bytes.data()),
                  static_cast<std::streamsize>(a.bytes.size()));
    }
    void TearDown() override {
        storm::stormSetLocale(0);
        std::remove(path_.c_str());
    }
    storm::Handle openArchive() {
        storm::Handle h = 0;
        EXPECT_NE(storm::stormOpenArchive(path_.c_str(), 0, 0, &h), 0);
        EXPECT_NE(h, 0u);
        return h;
    }
    std::string path_;
};

TEST_F(StormExportsTest, OpenReadAndClose) {
    EXPECT_NE(storm::stormPrepare(), 0);
    const storm::Handle mpq = openArchive();
    storm::Handle file = 0;
    ASSERT_NE(storm::stormOpenFile(mpq, "war3map.j", 0, &file), 0);
    EXPECT_NE(file, 0u);
    EXPECT_NE(file, mpq);
    EXPECT_EQ(storm::stormGetFileSize(file, nullptr), script.size());

    // The read stores at most the count asked for, and reports how much it stored.
    Bytes buffer(script.size() + 8, 0xEE);
    std::uint32_t read = 99;
    EXPECT_EQ(storm::stormReadFile(file, buffer.data(), 10, &read, nullptr), 1);
    EXPECT_EQ(read, 10u);
    EXPECT_EQ(buffer[10], 0xEE);
    // Reading goes on from where it stopped; asking for more than is left stores the rest.
    EXPECT_EQ(storm::stormReadFile(file, buffer.data() + 10, 1000, &read, nullptr), 0);
    EXPECT_EQ(read, script.size() - 10);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(script.size())),
              script);
    EXPECT_EQ(buffer[script.size()], 0xEE);

    EXPECT_EQ(storm::stormCloseFile(file), 1);
    EXPECT_EQ(storm::stormCloseArchive(mpq), 1);
}

TEST_F(StormExportsTest, NullDestinationStoresNothing) {
    const storm::Handle mpq = openArchive();
    storm::Handle file = 0;
    ASSERT_NE(storm::stormOpenFile(mpq, "war3map.j", 0, &file), 0);
    std::uint32_t read = 99;
    EXPECT_EQ(storm::stormReadFile(file, nullptr, 5, &read, nullptr), 0);
    EXPECT_EQ(read, 0u);
    EXPECT_EQ(storm::stormReadFile(file, nullptr, 0, nullptr, nullptr), 1);
    // Nothing was consumed: a later read starts at the beginning.
    Bytes buffer(script.size());
    EXPECT_EQ(storm::stormReadFile(file, buffer.data(), static_cast<std::uint32_t>(buffer.size()),
                                   nullptr, nullptr),
              1);
    EXPECT_EQ(buffer, script);
    storm::stormCloseArchive(mpq);
}

TEST_F(StormExportsTest, EmptyInnerFile) {
    const storm::Handle mpq = openArchive();
    storm::Handle file = 0;
    ASSERT_NE(storm::stormOpenFile(mpq, "empty.txt", 0, &file), 0);
    std::uint32_t high = 5;
    EXPECT_EQ(storm::stormGetFileSize(file, &high), 0u);
    EXPECT_EQ(high, 0u);
    std::uint32_t read = 9;
    EXPECT_EQ(storm::stormReadFile(file, nullptr, 0, &read, nullptr), 1);
    EXPECT_EQ(read, 0u);
    EXPECT_EQ(storm::stormCloseFile(file), 1);
    EXPECT_EQ(storm::stormCloseArchive(mpq), 1);
}

TEST_F(StormExportsTest, FailedOpensReturnZeroAndClearTheHandle) {
    storm::Handle h = 77;
    EXPECT_EQ(storm::stormOpenArchive("/nonexistent/map.w3x", 0, 0, &h), 0);
    EXPECT_EQ(h, 0u);
    h = 77;
    EXPECT_EQ(storm::stormOpenArchive(nullptr, 0, 0, &h), 0);
    EXPECT_EQ(h, 0u);
    EXPECT_EQ(storm::stormOpenArchive(path_.c_str(), 0, 0, nullptr), 0);
    // A folder and a file that is not an archive.
    h = 77;
    EXPECT_EQ(
        storm::stormOpenArchive(std::filesystem::temp_directory_path().string().c_str(), 0, 0, &h),
        0);
    EXPECT_EQ(h, 0u);

    const storm::Handle mpq = openArchive();
    storm::Handle file = 77;
    EXPECT_EQ(storm::stormOpenFile(mpq, "missing.txt", 0, &file), 0);
    EXPECT_EQ(file, 0u);
    EXPECT_EQ(storm::stormOpenFile(mpq, nullptr, 0, &file), 0);
    EXPECT_EQ(storm::stormOpenFile(mpq, "war3map.j", 0, nullptr), 0);
    storm::stormCloseArchive(mpq);
}

TEST_F(StormExportsTest, UnknownAndClosedHandlesAreRefused) {
    const storm::Handle mpq = openArchive();
    storm::Handle file = 0;
    ASSERT_NE(storm::stormOpenFile(mpq, "war3map.j", 0, &file), 0);

    // A file handle is no archive, an archive handle no file, 0 is nothing.
    storm::Handle other = 0;
    EXPECT_EQ(storm::stormOpenFile(file, "war3map.j", 0, &other), 0);
    EXPECT_EQ(storm::stormCloseArchive(file), 0);
    EXPECT_EQ(storm::stormCloseFile(mpq), 0);
    EXPECT_EQ(storm::stormGetFileSize(mpq, nullptr), 0xFFFFFFFFu);
    EXPECT_EQ(storm::stormCloseFile(0), 0);
    EXPECT_EQ(storm::stormCloseArchive(0), 0);
    Bytes buffer(4);
    EXPECT_EQ(storm::stormReadFile(0xDEADBEEF, buffer.data(), 4, nullptr, nullptr), 0);

    // Closing the archive also closes its files; both handles are dead afterwards.
    EXPECT_EQ(storm::stormCloseArchive(mpq), 1);
    EXPECT_EQ(storm::stormGetFileSize(file, nullptr), 0xFFFFFFFFu);
    EXPECT_EQ(storm::stormCloseFile(file), 0);
    EXPECT_EQ(storm::stormCloseArchive(mpq), 0);
    EXPECT_EQ(storm::stormOpenFile(mpq, "war3map.j", 0, &other), 0);
}

TEST_F(StormExportsTest, HandlesAreNeverReused) {
    const storm::Handle first = openArchive();
    EXPECT_EQ(storm::stormCloseArchive(first), 1);
    const storm::Handle second = openArchive();
    EXPECT_NE(second, first);
    EXPECT_EQ(storm::stormCloseArchive(first), 0);
    EXPECT_EQ(storm::stormCloseArchive(second), 1);
}

TEST_F(StormExportsTest, LocaleChoosesAmongEntries) {
    EXPECT_EQ(storm::stormSetLocale(1033), 0u);
    const storm::Handle mpq = openArchive();
    storm::Handle file = 0;
    ASSERT_NE(storm::stormOpenFile(mpq, "war3map.j", 0, &file), 0);
    EXPECT_EQ(storm::stormGetFileSize(file, nullptr), 7u); // "english"
    EXPECT_EQ(storm::stormSetLocale(0), 1033u);
    storm::Handle neutral = 0;
    ASSERT_NE(storm::stormOpenFile(mpq, "war3map.j", 0, &neutral), 0);
    EXPECT_EQ(storm::stormGetFileSize(neutral, nullptr), script.size());
    storm::stormCloseArchive(mpq);
}

} // namespace

namespace {

// A file whose one entry lies inside the archive but whose sector does not decode
// (a zlib mask byte before bytes that are no zlib stream). It opens, as the game's
// library opens it; the read that would decode it fails and leaves nothing behind.
TEST(StormExportsDecodeTest, AFileThatDoesNotDecodeFailsWhenRead) {
    CraftedArchive a({{"war3map.j", script}});
    Bytes raw(8 + 5, 0);
    quorvell::testing::put32(raw, 0, 8);
    quorvell::testing::put32(raw, 4, 13);
    const Bytes notZlib{0x02, 'x', 'y', 'z', 'w'};
    std::copy(notZlib.begin(), notZlib.end(), raw.begin() + 8);
    a.append(Bytes(16, 0)); // room for the block table's new entry, which is written in place
    const std::uint32_t offset = a.append(raw);
    a.blocks.push_back({offset, 13, 100, storm::blockFlags::exists | storm::blockFlags::compress});
    const auto slot = CraftedArchive::startSlot("bad.j", 16);
    ASSERT_EQ(a.hashes[slot].block, storm::hashEntryEmpty) << "pick another name";
    a.hashes[slot] = CraftedArchive::entryFor("bad.j", static_cast<std::uint32_t>(a.blocks.size() - 1));
    a.rewriteTables();
    const std::string path =
        (std::filesystem::temp_directory_path() / ("quorvell-bad-" + std::to_string(std::rand()) + ".w3x"))
            .string();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(a.bytes.data()), static_cast<std::streamsize>(a.bytes.size()));

    storm::Handle mpq = 0;
    ASSERT_NE(storm::stormOpenArchive(path.c_str(), 0, 0, &mpq), 0);
    for (const std::uint32_t firstRead : {100u, 10u}) { // whole, then piece by piece
        SCOPED_TRACE(firstRead);
        storm::Handle file = 0;
        ASSERT_NE(storm::stormOpenFile(mpq, "bad.j", 0, &file), 0);
        EXPECT_EQ(storm::stormGetFileSize(file, nullptr), 100u);
        Bytes buffer(100, 0xEE);
        std::uint32_t read = 99;
        EXPECT_EQ(storm::stormReadFile(file, buffer.data(), firstRead, &read, nullptr), 0);
        EXPECT_EQ(read, 0u);
        // Within the count asked for: untouched or zero; past it: untouched.
        const auto asked = static_cast<std::ptrdiff_t>(firstRead);
        EXPECT_EQ(std::count(buffer.begin(), buffer.begin() + asked, 0xEE) +
                      std::count(buffer.begin(), buffer.begin() + asked, 0),
                  asked);
        EXPECT_EQ(std::count(buffer.begin() + asked, buffer.end(), 0xEE), 100 - asked);
        // It stays unreadable.
        EXPECT_EQ(storm::stormReadFile(file, buffer.data(), 10, &read, nullptr), 0);
        EXPECT_EQ(storm::stormCloseFile(file), 1);
    }
    EXPECT_EQ(storm::stormCloseArchive(mpq), 1);
    std::remove(path.c_str());
}

} // namespace
