// Our reader against archives written by an independent writer (the system's
// StormLib, through the fixture tool's writer): every layout it can produce.
#include "storm/Archive.h"
#include "storm/StormExports.h"

#include "tests/storm/CraftedArchive.h"
#include "tools/fixture/FixtureWriter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using quorvell::fixture::Compression;
using quorvell::fixture::FixtureArchive;
using quorvell::fixture::FixtureFile;
using quorvell::fixture::writeFixtureArchive;
using quorvell::testing::bytesOf;
using quorvell::testing::patternBytes;
using Bytes = std::vector<std::uint8_t>;

// Text-like content that compresses, long enough for several sectors.
Bytes scriptText(std::size_t size) {
    const std::string line = "call TriggerRegisterPlayerChatEvent(t, Player(0), \"-go\", true)\r\n";
    Bytes out;
    out.reserve(size);
    for (std::size_t i = 0; out.size() < size; ++i) {
        const std::string numbered = std::to_string(i) + line;
        out.insert(out.end(), numbered.begin(), numbered.end());
    }
    out.resize(size);
    return out;
}

class FixtureArchiveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = std::filesystem::temp_directory_path() /
               ("quorvell-fixture-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::filesystem::path write(const FixtureArchive& archive, const std::string& name) {
        const auto path = dir_ / name;
        const std::string error = writeFixtureArchive(archive, path);
        EXPECT_EQ(error, "");
        return path;
    }
    std::filesystem::path dir_;
};

struct LayoutCase {
    const char* what;
    FixtureFile file;
    std::uint32_t sectorShift = 3;
};

FixtureFile fileOf(Compression c, Bytes content, bool encrypt = false, bool fixKey = false,
                   bool crc = false, bool single = false) {
    FixtureFile f;
    f.name = "war3map.j";
    f.content = std::move(content);
    f.compression = c;
    f.encrypt = encrypt;
    f.fixKey = fixKey;
    f.sectorCrc = crc;
    f.singleUnit = single;
    return f;
}

TEST_F(FixtureArchiveTest, EveryLayoutTheWriterMakes) {
    const Bytes text = scriptText(50000);
    const Bytes noise = patternBytes(20000, 3); // does not compress: stored sectors
    const LayoutCase cases[] = {
        {"zlib", fileOf(Compression::zlib, text)},
        {"pkware", fileOf(Compression::pkware, text)},
        {"bzip2", fileOf(Compression::bzip2, text)},
        {"implode flag", fileOf(Compression::implode, text)},
        {"not compressed", fileOf(Compression::none, text)},
        {"incompressible data in a compressed file", fileOf(Compression::zlib, noise)},
        {"encrypted", fileOf(Compression::zlib, text, true)},
        {"encrypted, fix-key", fileOf(Compression::zlib, text, true, true)},
        {"encrypted, not compressed, fix-key", fileOf(Compression::none, text, true, true)},
        {"encrypted imploded", fileOf(Compression::implode, text, true)},
        {"sector checksums", fileOf(Compression::zlib, text, false, false, true)},
        {"sector checksums, encrypted, fix-key", fileOf(Compression::zlib, text, true, true, true)},
        {"single unit", fileOf(Compression::zlib, text, false, false, false, true)},
        {"single unit, encrypted", fileOf(Compression::zlib, text, true, false, false, true)},
        {"single unit, not compressed", fileOf(Compression::none, text, false, false, false, true)},
        {"empty", fileOf(Compression::zlib, {})},
        {"one byte", fileOf(Compression::zlib, bytesOf("x"))},
        {"exactly one sector", fileOf(Compression::zlib, scriptText(4096))},
        {"large (3 MB)", fileOf(Compression::zlib, scriptText(3 * 1024 * 1024))},
        {"small sectors (512)", fileOf(Compression::zlib, text), 0},
        {"big sectors (64 KiB)", fileOf(Compression::zlib, text), 7},
    };
    int index = 0;
    for (const LayoutCase& c : cases) {
        SCOPED_TRACE(c.what);
        FixtureArchive archive;
        archive.sectorSizeShift = c.sectorShift;
        archive.mapHeader = true;
        archive.files.push_back(c.file);
        const auto path = write(archive, "layout" + std::to_string(index++) + ".w3x");
        const auto opened = storm::Archive::open(path.c_str());
        ASSERT_TRUE(opened.has_value());
        const auto got = opened->readFile("war3map.j", 0);
        ASSERT_TRUE(got.has_value());
        EXPECT_EQ(*got, c.file.content);
        // The writer really made the layout asked for.
        const auto blocks = opened->tables().candidates("war3map.j", 0);
        ASSERT_EQ(blocks.size(), 1u);
        const std::uint32_t flags = opened->tables().blocks()[blocks[0]].flags;
        namespace bf = storm::blockFlags;
        EXPECT_EQ((flags & bf::encrypted) != 0, c.file.encrypt);
        EXPECT_EQ((flags & bf::fixKey) != 0, c.file.fixKey);
        EXPECT_EQ((flags & bf::sectorCrc) != 0, c.file.sectorCrc);
        EXPECT_EQ((flags & bf::singleUnit) != 0, c.file.singleUnit);
        EXPECT_EQ((flags & bf::implode) != 0, c.file.compression == Compression::implode);
    }
}

TEST_F(FixtureArchiveTest, NamesFoldersLocalesAndDeletedEntries) {
    FixtureArchive archive;
    archive.hashSize = 8;
    auto add = [&](const std::string& name, const std::string& text, std::uint16_t locale = 0,
                   bool remove = false) {
        FixtureFile f;
        f.name = name;
        f.content = bytesOf(text);
        f.locale = locale;
        f.remove = remove;
        archive.files.push_back(f);
    };
    add("scripts\\war3map.j", "in a folder");
    add("war3map.j", "neutral");
    add("war3map.j", "english", 1033);
    add("war3map.j", "korean", 0x412);
    add("war3map.wts", "only korean", 0x412);
    add("deleted.txt", "gone", 0, true);
    add("dir/slash.txt", "slash");
    const auto path = write(archive, "names.w3x");
    const auto opened = storm::Archive::open(path.c_str());
    ASSERT_TRUE(opened.has_value());
    struct Row {
        const char* name;
        std::uint16_t locale;
        const char* expected; // null: not found
    };
    const Row rows[] = {
        {"scripts\\war3map.j", 0, "in a folder"},
        {"SCRIPTS\\WAR3MAP.J", 0, "in a folder"},
        {"scripts/war3map.j", 0, nullptr},
        {"war3map.j", 0, "neutral"},
        {"war3map.j", 1033, "english"},
        {"war3map.j", 0x407, "neutral"},
        {"war3map.wts", 0, "only korean"},
        {"deleted.txt", 0, nullptr},
        {"dir/slash.txt", 0, "slash"},
        {"(listfile)", 0, nullptr}, // present, but its content is the writer's: checked below
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const auto got = opened->readFile(r.name, r.locale);
        if (r.expected == nullptr) {
            if (std::string(r.name) != "(listfile)") {
                EXPECT_FALSE(got.has_value());
            }
        } else {
            ASSERT_TRUE(got.has_value());
            EXPECT_EQ(*got, bytesOf(r.expected));
        }
    }
    EXPECT_TRUE(opened->readFile("(listfile)", 0).has_value());
}

TEST_F(FixtureArchiveTest, CrowdedHashTableWithDeletedEntriesInTheChains) {
    // 60 names in a 64-slot table: long probe chains, some passing deleted entries.
    FixtureArchive archive;
    archive.hashSize = 64;
    archive.listfile = false;
    for (int i = 0; i < 60; ++i) {
        FixtureFile f;
        f.name = "units\\file" + std::to_string(i) + ".txt";
        f.content = bytesOf("content " + std::to_string(i));
        f.compression = i % 2 == 0 ? Compression::zlib : Compression::none;
        f.remove = i % 7 == 3;
        archive.files.push_back(f);
    }
    const auto path = write(archive, "crowded.w3x");
    const auto opened = storm::Archive::open(path.c_str());
    ASSERT_TRUE(opened.has_value());
    EXPECT_EQ(opened->tables().hashCount(), 64u);
    for (int i = 0; i < 60; ++i) {
        const std::string name = "units\\file" + std::to_string(i) + ".txt";
        SCOPED_TRACE(name);
        const auto got = opened->readFile(name, 0);
        if (i % 7 == 3) {
            EXPECT_FALSE(got.has_value());
        } else {
            ASSERT_TRUE(got.has_value());
            EXPECT_EQ(*got, bytesOf("content " + std::to_string(i)));
        }
    }
}

TEST_F(FixtureArchiveTest, EncryptedFilesUnderFolderAndSlashNames) {
    const Bytes text = scriptText(9000);
    FixtureArchive archive;
    for (const char* name : {"Scripts\\war3map.j", "dir/war3map.j"}) {
        FixtureFile f = fileOf(Compression::zlib, text, true, true);
        f.name = name;
        archive.files.push_back(f);
    }
    const auto path = write(archive, "keys.w3x");
    const auto opened = storm::Archive::open(path.c_str());
    ASSERT_TRUE(opened.has_value());
    for (const char* name : {"Scripts\\war3map.j", "dir/war3map.j"}) {
        SCOPED_TRACE(name);
        const auto got = opened->readFile(name, 0);
        ASSERT_TRUE(got.has_value());
        EXPECT_EQ(*got, text);
    }
}

TEST_F(FixtureArchiveTest, EntryPointsReadAWrittenMap) {
    const Bytes text = scriptText(70000);
    FixtureArchive archive;
    archive.mapHeader = true;
    archive.files.push_back(fileOf(Compression::zlib, text, true, true));
    const auto path = write(archive, "entry.w3x");

    storm::Handle mpq = 0;
    storm::Handle file = 0;
    storm::stormPrepare();
    storm::stormSetLocale(1033);
    ASSERT_NE(storm::stormOpenArchive(path.c_str(), 0, 0, &mpq), 0);
    ASSERT_NE(storm::stormOpenFile(mpq, "war3map.j", 0, &file), 0);
    std::uint32_t high = 7;
    const std::uint32_t size = storm::stormGetFileSize(file, &high);
    EXPECT_EQ(size, text.size());
    EXPECT_EQ(high, 0u);
    Bytes buffer(size, 0);
    std::uint32_t read = 0;
    EXPECT_NE(storm::stormReadFile(file, buffer.data(), size, &read, nullptr), 0);
    EXPECT_EQ(read, size);
    EXPECT_EQ(buffer, text);
    EXPECT_NE(storm::stormCloseFile(file), 0);
    EXPECT_NE(storm::stormCloseArchive(mpq), 0);
    storm::stormSetLocale(0);
}

} // namespace
