// Whole scans through the build's own archive binding: real archives written by an
// independent writer (native builds), and every real map of the shared collection, whose
// rows must be the same in every build: each map's rows are reduced to a count and a
// digest and compared with the committed table map-rows.tsv.
#include "map/MapArchiveReader.h"
#include "map/ScriptTranscoder.h"
#include "map/StormApi.h"
#include "scan/ChatCommandExtractor.h"
#include "scan/ScanDriver.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/TestPaths.h"

#ifdef QUORVELL_HAVE_FIXTURE_WRITER
#include "tools/fixture/FixtureWriter.h"

#include <unistd.h>
#endif

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace quorvell {
namespace {

namespace fs = std::filesystem;
using testing::RecordingSink;

// The path as the window's drop target delivers it: in the ANSI code page on Windows.
std::string ansiPath(const fs::path& path) {
#ifdef _WIN32
    const std::wstring wide = path.wstring();
    const int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 1), '\0');
    if (n > 0) {
        WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, out.data(), n, nullptr, nullptr);
    }
    out.resize(out.size() - 1);
    return out;
#else
    return path.string();
#endif
}

std::vector<ResultRow> scan(const fs::path& map) {
    MapArchiveReader reader(systemStormApi());
    RecordingSink sink;
    ScanDriver(reader, sink).scanMapFile(Text(ansiPath(map)));
    EXPECT_EQ(sink.clears, 1);
    return sink.rows;
}

#ifdef QUORVELL_HAVE_FIXTURE_WRITER
std::string commandsOf(const std::vector<ResultRow>& rows) {
    std::string out;
    for (const ResultRow& row : rows) {
        out += row.playerLabel.bytes() + "|" + row.command.bytes() + "|" + row.matchFlag.bytes() +
               "\n";
    }
    return out;
}

std::vector<std::uint8_t> bytesOf(const std::string& s) {
    return {s.begin(), s.end()};
}

std::string registration(int player, const std::string& command) {
    return "call TriggerRegisterPlayerChatEvent( t, Player(" + std::to_string(player) + "), \"" +
           command + "\", true )\r\n";
}

struct ArchiveCase {
    const char* name;
    std::vector<fixture::FixtureFile> files;
    std::string rows;
};

TEST(ScanRealArchivesTest, ThePrimaryScriptTheFallbackAndNeither) {
    const std::string label = "\xCD\xE6\xBC\xD2";
    const std::string fallbackRows = label + "3|-fallback|true \n";
    const auto file = [](const char* name, const std::string& content,
                         fixture::Compression c = fixture::Compression::zlib) {
        fixture::FixtureFile f;
        f.name = name;
        f.content = bytesOf(content);
        f.compression = c;
        return f;
    };
    const ArchiveCase cases[] = {
        {"a primary script without registrations is still the one used",
         {file("war3map.j", "function main takes nothing returns nothing\r\nendfunction\r\n"),
          file("scripts\\war3map.j", registration(2, "-fallback"))},
         ""},
        {"a missing primary script falls back",
         {file("war3map.w3i", "info"), file("scripts\\war3map.j", registration(2, "-fallback"))},
         fallbackRows},
        {"an empty primary script falls back",
         {file("war3map.j", "", fixture::Compression::none),
          file("scripts\\war3map.j", registration(2, "-fallback"))},
         fallbackRows},
        {"neither script", {file("war3map.w3i", "info")}, ""},
        {"a compressed primary script",
         {file("war3map.j", registration(0, "-a") + std::string(5000, ' ') + registration(11, "-b"),
               fixture::Compression::pkware)},
         label + "1|-a|true \n" + label + "12|-b|true \n"},
    };
    const fs::path dir =
        fs::temp_directory_path() / ("quorvell-archives-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    int n = 0;
    for (const ArchiveCase& c : cases) {
        SCOPED_TRACE(c.name);
        fixture::FixtureArchive archive;
        archive.mapHeader = true;
        archive.files = c.files;
        const fs::path path = dir / ("case" + std::to_string(++n) + ".w3x");
        ASSERT_EQ(fixture::writeFixtureArchive(archive, path), "");
        EXPECT_EQ(commandsOf(scan(path)), c.rows);
    }
    // A file that is no archive at all, and a folder.
    std::ofstream(dir / "notes.txt") << registration(0, "-not-a-map");
    EXPECT_EQ(commandsOf(scan(dir / "notes.txt")), "");
    EXPECT_EQ(commandsOf(scan(dir)), "");
    fs::remove_all(dir);
}
#endif

TEST(ScanDemoMapTest, TheBundledMapGivesTheRowsOfItsScript) {
    const fs::path demo = testing::sourceDir() / "demo";
    std::ifstream in(demo / "demo.j", std::ios::binary);
    ASSERT_TRUE(in) << (demo / "demo.j").string();
    const std::string script((std::istreambuf_iterator<char>(in)),
                             std::istreambuf_iterator<char>());
    RecordingSink fromScript;
    ChatCommandExtractor::extractChatCommands(
        ScriptTranscoder::transcodeScript(ByteBuffer::fromBytes(script)), fromScript);
    EXPECT_EQ(fromScript.rows.size(), 30u);
    EXPECT_EQ(scan(demo / "demo.w3x"), fromScript.rows);
}

// FNV-1a over the rows, cells ended by TAB and rows by LF.
std::string rowDigest(const std::vector<ResultRow>& rows) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    const auto add = [&h](std::string_view bytes, char end) {
        for (const char c : bytes) {
            h = (h ^ static_cast<std::uint8_t>(c)) * 0x100000001b3ull;
        }
        h = (h ^ static_cast<std::uint8_t>(end)) * 0x100000001b3ull;
    };
    for (const ResultRow& row : rows) {
        add(row.playerLabel.view(), '\t');
        add(row.command.view(), '\t');
        add(row.matchFlag.view(), '\n');
    }
    char text[24];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
    return text;
}

TEST(ScanSharedMapsTest, EveryMapGivesTheRowsOfTheTable) {
    const auto maps = testing::sharedMapsDir();
    if (!maps) {
        GTEST_SKIP()
            << "skipped: the shared maps folder (../shared/maps beside the checkout) is absent";
    }
    const fs::path tablePath = testing::sourceDir() / "tests" / "tools" / "map-rows.tsv";
    std::map<std::string, std::string> table; // file -> "rows\tdigest"
    {
        std::ifstream in(tablePath);
        std::string line;
        while (std::getline(in, line)) {
            const std::size_t tab = line.find('\t');
            if (!line.empty() && line[0] != '#' && tab != std::string::npos) {
                table[line.substr(0, tab)] = line.substr(tab + 1);
            }
        }
    }
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(*maps)) {
        const std::string ext = entry.path().extension().string();
        if (entry.is_regular_file() && (ext == ".w3x" || ext == ".w3m")) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty());

    // QUORVELL_WRITE_MAP_ROWS=1 writes the table from this build's rows instead.
    const bool write = std::getenv("QUORVELL_WRITE_MAP_ROWS") != nullptr;
    std::ostringstream written;
    written << "# map file\trows\tFNV-1a 64 of the rows (cells ended by TAB, rows by LF)\n";
    for (const fs::path& file : files) {
        const std::u8string utf8Name = file.filename().u8string();
        const std::string name(utf8Name.begin(), utf8Name.end());
        const std::vector<ResultRow> rows = scan(file);
        const std::string got = std::to_string(rows.size()) + "\t" + rowDigest(rows);
        written << name << "\t" << got << "\n";
        if (!write) {
            const auto it = table.find(name);
            ASSERT_NE(it, table.end()) << name << " is missing from " << tablePath.string();
            EXPECT_EQ(got, it->second) << name;
        }
    }
    if (write) {
        std::ofstream(tablePath, std::ios::binary) << written.str();
    }
}

} // namespace
} // namespace quorvell
