#include "map/MapArchiveReader.h"

#include "tests/map/FakeStormApi.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvell {
namespace {

using namespace std::string_literals;
using testing::FakeInnerFile;
using testing::FakeStormApi;

struct ReaderCase {
    const char* name;
    std::map<std::string, FakeInnerFile> files; // of the archive "map.w3x"
    std::string path;
    std::vector<std::string> calls; // after prepare and the locale
    std::string result;
};

const std::vector<std::string> kPrelude = {"prepare", "locale 1033"};

TEST(MapArchiveReaderTest, MakesTheCallSequenceOfEachCase) {
    const std::string hundredZeros(100, '\0');
    const ReaderCase cases[] = {
        {"not an archive: no close follows", {}, "notes.txt", {"openArchive notes.txt 0 0"}, ""},
        {"no inner file: only the archive is closed",
         {{"other.j", {"x"}}},
         "map.w3x",
         {"openArchive map.w3x 0 0", "openFile 0x11 war3map.j 0", "closeArchive 0x11"},
         ""},
        {"size 0: a null destination and a count of 0",
         {{"war3map.j", {""}}},
         "map.w3x",
         {"openArchive map.w3x 0 0", "openFile 0x11 war3map.j 0", "size 0x22 null",
          "read 0x22 null 0 null null", "closeFile 0x22", "closeArchive 0x11"},
         ""},
        {"negative size: a null destination and that size",
         {{"war3map.j", {"abc", 0xFFFFFFF0u}}},
         "map.w3x",
         {"openArchive map.w3x 0 0", "openFile 0x11 war3map.j 0", "size 0x22 null",
          "read 0x22 null 4294967280 null null", "closeFile 0x22", "closeArchive 0x11"},
         ""},
        {"whole file",
         {{"war3map.j", {"ab\0c"s}}},
         "map.w3x",
         {"openArchive map.w3x 0 0", "openFile 0x11 war3map.j 0", "size 0x22 null",
          "read 0x22 dest 4 null null", "closeFile 0x22", "closeArchive 0x11"},
         "ab\0c"s},
        {"a read that stores less: zeros after what it stored",
         {{"war3map.j", {"abcdef", 100u, 3u}}},
         "map.w3x",
         {"openArchive map.w3x 0 0", "openFile 0x11 war3map.j 0", "size 0x22 null",
          "read 0x22 dest 100 null null", "closeFile 0x22", "closeArchive 0x11"},
         "abc" + std::string(97, '\0')},
        {"a read that fails after a size of 100: 100 zero bytes",
         {{"war3map.j", {"", 100u, 0u}}},
         "map.w3x",
         {"openArchive map.w3x 0 0", "openFile 0x11 war3map.j 0", "size 0x22 null",
          "read 0x22 dest 100 null null", "closeFile 0x22", "closeArchive 0x11"},
         hundredZeros},
    };
    for (const ReaderCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeStormApi api;
        api.archives["map.w3x"] = c.files;
        MapArchiveReader reader(api);
        const ByteBuffer result = reader.readInnerFile(Text(c.path), "war3map.j");
        std::vector<std::string> expected = kPrelude;
        expected.insert(expected.end(), c.calls.begin(), c.calls.end());
        EXPECT_EQ(api.calls, expected);
        EXPECT_EQ(result.view(), c.result);
        EXPECT_EQ(result.length(), static_cast<std::int32_t>(c.result.size()));
        EXPECT_TRUE(api.allClosed());
    }
}

TEST(MapArchiveReaderTest, EveryCallRunsTheWholeSequenceAgain) {
    FakeStormApi api;
    api.archives["m"]["scripts\\war3map.j"] = {"s"};
    MapArchiveReader reader(api);
    EXPECT_EQ(reader.readInnerFile("m", "war3map.j").length(), 0);
    const auto first = api.calls;
    api.calls.clear();
    EXPECT_EQ(reader.readInnerFile("m", "scripts\\war3map.j").view(), "s");
    EXPECT_EQ(api.calls, (std::vector<std::string>{"prepare", "locale 1033", "openArchive m 0 0",
                                                   "openFile 0x11 scripts\\war3map.j 0",
                                                   "size 0x22 null", "read 0x22 dest 1 null null",
                                                   "closeFile 0x22", "closeArchive 0x11"}));
    EXPECT_EQ(first, (std::vector<std::string>{"prepare", "locale 1033", "openArchive m 0 0",
                                               "openFile 0x11 war3map.j 0", "closeArchive 0x11"}));
}

} // namespace
} // namespace quorvell
