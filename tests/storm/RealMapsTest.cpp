// Our reader on the real maps beside the checkout: the script must equal, byte for
// byte, what the independent reader recorded; damaged copies must never break it.
#include "storm/Archive.h"

#include "tests/storm/Sha256.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct ManifestRow {
    std::string file;
    std::string protection;
    std::string scriptSha256; // empty: the independent reader could not read the script
};

std::vector<ManifestRow> readManifest(const std::filesystem::path& dir) {
    std::ifstream in(dir / "MANIFEST.tsv");
    std::vector<ManifestRow> rows;
    std::string line;
    std::vector<std::string> header;
    while (std::getline(in, line)) {
        std::vector<std::string> cells;
        std::stringstream ss(line);
        std::string cell;
        while (std::getline(ss, cell, '\t')) {
            cells.push_back(cell);
        }
        if (line.size() > 0 && line.back() == '\t') {
            cells.emplace_back();
        }
        if (header.empty()) {
            header = cells;
            continue;
        }
        ManifestRow row;
        for (std::size_t i = 0; i < cells.size() && i < header.size(); ++i) {
            if (header[i] == "file") {
                row.file = cells[i];
            } else if (header[i] == "protection_signs") {
                row.protection = cells[i];
            } else if (header[i] == "script_sha256") {
                row.scriptSha256 = cells[i];
            }
        }
        rows.push_back(row);
    }
    return rows;
}

// A map's path from its UTF-8 name (the manifest's and this file's encoding), so that
// the Windows build does not take the name's bytes for the ANSI code page.
std::filesystem::path mapPath(const std::filesystem::path& dir, const std::string& utf8Name) {
    return dir / std::filesystem::path(std::u8string(utf8Name.begin(), utf8Name.end()));
}

Bytes readWhole(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The script as the program asks for it: "war3map.j", then "scripts\war3map.j" when
// the first is missing or empty.
std::optional<Bytes> readScript(const storm::Archive& archive) {
    auto script = archive.readFile("war3map.j", 1033);
    if (!script || script->empty()) {
        script = archive.readFile("scripts\\war3map.j", 1033);
    }
    return script;
}

class RealMapsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = quorvell::testing::sharedMapsDir();
        if (!dir_) {
            GTEST_SKIP() << "skipped: the real maps (../shared/maps) are not present";
        }
        rows_ = readManifest(*dir_);
        ASSERT_FALSE(rows_.empty());
    }
    std::optional<std::filesystem::path> dir_;
    std::vector<ManifestRow> rows_;
};

TEST_F(RealMapsTest, ScriptsEqualTheRecordedDigests) {
    for (const ManifestRow& row : rows_) {
        SCOPED_TRACE(row.file);
        const auto archive = storm::Archive::fromBytes(readWhole(mapPath(*dir_, row.file)));
        if (row.scriptSha256.empty()) {
            continue; // see ScriptsTheIndependentReaderCouldNotRead
        }
        ASSERT_TRUE(archive.has_value());
        const auto script = readScript(*archive);
        ASSERT_TRUE(script.has_value());
        EXPECT_EQ(quorvell::testing::sha256Hex(script->data(), script->size()), row.scriptSha256);
    }
}

TEST_F(RealMapsTest, ScriptsTheIndependentReaderCouldNotRead) {
    struct Expected {
        const char* file;
        bool archiveOpens;
        bool scriptFound;
    };
    // 03: a Lua map, with no script of this kind at all. 29: no archive header
    // anywhere in the file. 15: the script's block is marked single-unit; read as
    // sectors (as the independent reader does for maps) its first bytes make no sector
    // table, read as one unit it is a complete zlib stream of exactly the declared size.
    const Expected cases[] = {
        {"03_DotF_v1.4.w3x", true, false},
        {"15_JMPQ3_buildtest.w3x", true, true},
        {"29_DWC_dwc76bMerger4_corrupt.w3x", false, false},
    };
    for (const Expected& c : cases) {
        SCOPED_TRACE(c.file);
        const auto archive = storm::Archive::fromBytes(readWhole(mapPath(*dir_, c.file)));
        EXPECT_EQ(archive.has_value(), c.archiveOpens);
        if (archive) {
            EXPECT_EQ(readScript(*archive).has_value(), c.scriptFound);
        }
    }
    const auto archive =
        storm::Archive::fromBytes(readWhole(mapPath(*dir_, "15_JMPQ3_buildtest.w3x")));
    ASSERT_TRUE(archive.has_value());
    const auto script = readScript(*archive);
    ASSERT_TRUE(script.has_value());
    const std::string text(script->begin(), script->end());
    EXPECT_EQ(text.size(), 8859u);
    EXPECT_EQ(text.rfind("//====", 0), 0u);
    EXPECT_NE(text.find("function main takes nothing returns nothing"), std::string::npos);
    EXPECT_TRUE(text.ends_with("endfunction\r\n\r\n"));
}

// A few hundred damaged copies of the smaller maps: truncated at many points and with
// bits flipped in the header, the tables and the script's data. Whatever comes out,
// nothing may crash, hang or read out of bounds (the native build runs under ASan).
TEST_F(RealMapsTest, TruncationsAndBitFlipsNeverBreak) {
    const char* maps[] = {"10_ExampleMap203.w3x", "14_JMPQ3_spazzledMap.w3x", "20_JMPQ3_ydwe.w3x",
                          "48_YDWE_触发器动态注册.w3x", "15_JMPQ3_buildtest.w3x"};
    for (const char* name : maps) {
        SCOPED_TRACE(name);
        const Bytes original = readWhole(mapPath(*dir_, name));
        ASSERT_FALSE(original.empty());
        const auto intact = storm::Archive::fromBytes(original);
        ASSERT_TRUE(intact.has_value());
        const auto header = intact->header();
        for (int cut = 1; cut <= 24; ++cut) {
            const std::size_t size = original.size() * static_cast<std::size_t>(cut) / 25;
            const auto archive = storm::Archive::fromBytes(
                Bytes(original.begin(), original.begin() + static_cast<std::ptrdiff_t>(size)));
            if (archive) {
                (void)readScript(*archive);
            }
        }
        // Flip bits where they matter most: the header, both tables, the data start.
        std::vector<std::size_t> spots;
        for (std::size_t i = 0; i < 32; ++i) {
            spots.push_back(header.position + i);
        }
        for (std::size_t i = 0; i < 48; ++i) {
            spots.push_back((header.hashTablePosition() + i * 37) % original.size());
            spots.push_back((header.blockTablePosition() + i * 5) % original.size());
            spots.push_back((header.position + 32 + i * 3) % original.size());
        }
        std::uint32_t seed = 12345;
        for (const std::size_t spot : spots) {
            seed = seed * 1103515245u + 12345u;
            Bytes damaged = original;
            damaged[spot] ^= static_cast<std::uint8_t>(1u << (seed >> 16 & 7));
            const auto archive = storm::Archive::fromBytes(std::move(damaged));
            if (archive) {
                (void)readScript(*archive);
            }
        }
    }
}

} // namespace
