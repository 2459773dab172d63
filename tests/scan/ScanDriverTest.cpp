#include "scan/ScanDriver.h"

#include "map/ScriptTranscoder.h"
#include "tests/map/FakeStormApi.h"
#include "tests/support/RecordingSink.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvell {
namespace {

using namespace std::string_literals;
using testing::FakeInnerFile;
using testing::FakeStormApi;
using testing::RecordingSink;

std::string registration(int player, const std::string& command) {
    return "call TriggerRegisterPlayerChatEvent( t, Player(" + std::to_string(player) + "), \"" +
           command + "\", true )\r\n";
}

// The inner names the reader was asked to open, in order.
std::vector<std::string> openedNames(const FakeStormApi& api) {
    std::vector<std::string> names;
    for (const std::string& call : api.calls) {
        if (call.starts_with("openFile ")) {
            const std::size_t from = call.find(' ', 9) + 1;
            names.push_back(call.substr(from, call.rfind(' ') - from));
        }
    }
    return names;
}

std::vector<std::string> commands(const RecordingSink& sink) {
    std::vector<std::string> out;
    for (const ResultRow& row : sink.rows) {
        out.push_back(row.command.bytes());
    }
    return out;
}

struct DriverCase {
    const char* name;
    std::map<std::string, FakeInnerFile> files; // of the archive "map.w3x"
    std::string path;
    std::vector<std::string> opened;   // inner names asked for
    std::vector<std::string> commands; // rows' commands
};

TEST(ScanDriverTest, ReadsThePrimaryScriptAndFallsBackOnlyOnZeroBytes) {
    const std::string primary = "war3map.j";
    const std::string fallback = "scripts\\war3map.j";
    const DriverCase cases[] = {
        {"a primary script of one byte or more is used even without registrations",
         {{primary, {"// nothing here"}}, {fallback, {registration(0, "-f")}}},
         "map.w3x",
         {primary},
         {}},
        {"a missing primary script falls back",
         {{fallback, {registration(0, "-a") + registration(11, "-b")}}},
         "map.w3x",
         {primary, fallback},
         {"-a", "-b"}},
        {"an empty primary script falls back",
         {{primary, {""}}, {fallback, {registration(1, "-c")}}},
         "map.w3x",
         {primary, fallback},
         {"-c"}},
        {"a primary script of negative size counts as empty",
         {{primary, {"x", 0x80000000u}}, {fallback, {registration(1, "-n")}}},
         "map.w3x",
         {primary, fallback},
         {"-n"}},
        {"neither script", {{"war3map.w3i", {"x"}}}, "map.w3x", {primary, fallback}, {}},
        {"no archive at all", {}, "picture.png", {}, {}},
        {"an empty path", {}, "", {}, {}},
        {"the text of a drop of several files", {}, "C:\\a.w3x\r\nC:\\b.w3x\r\n", {}, {}},
        {"a read that fails after a nonzero size gives zeros: no fallback, no rows",
         {{primary, {registration(0, "-lost"), 100u, 0u}}, {fallback, {registration(0, "-f")}}},
         "map.w3x",
         {primary},
         {}},
        {"a short read keeps what it stored",
         {{primary, {registration(2, "-kept") + "junk", 200u, 75u}},
          {fallback, {registration(0, "-f")}}},
         "map.w3x",
         {primary},
         {"-kept"}},
    };
    for (const DriverCase& c : cases) {
        SCOPED_TRACE(c.name);
        FakeStormApi api;
        api.archives["map.w3x"] = c.files;
        MapArchiveReader reader(api);
        RecordingSink sink;
        sink.rows.push_back({"old", "old", "true"});
        ScanDriver(reader, sink).scanMapFile(Text(c.path));
        EXPECT_EQ(openedNames(api), c.opened);
        EXPECT_EQ(commands(sink), c.commands);
        EXPECT_EQ(sink.clears, 1);
        EXPECT_TRUE(api.allClosed());
        // Every read begins with its own preparation, so the count of those tells how
        // many reads were made: one, or two with the fallback.
        const auto prepares = std::count(api.calls.begin(), api.calls.end(), "prepare");
        EXPECT_EQ(prepares, c.opened.size() == 1 ? 1 : 2);
    }
}

TEST(ScanDriverTest, TheFallbackRunsTheWholeSequenceASecondTime) {
    FakeStormApi api;
    api.archives["m.w3x"]["scripts\\war3map.j"] = {registration(0, "-x")};
    MapArchiveReader reader(api);
    RecordingSink sink;
    ScanDriver(reader, sink).scanMapFile("m.w3x");
    EXPECT_EQ(api.calls,
              (std::vector<std::string>{
                  "prepare", "locale 1033", "openArchive m.w3x 0 0", "openFile 0x11 war3map.j 0",
                  "closeArchive 0x11", "prepare", "locale 1033", "openArchive m.w3x 0 0",
                  "openFile 0x11 scripts\\war3map.j 0", "size 0x22 null",
                  "read 0x22 dest " + std::to_string(registration(0, "-x").size()) + " null null",
                  "closeFile 0x22", "closeArchive 0x11"}));
}

TEST(ScanDriverTest, TheScriptIsTranscodedBeforeExtraction) {
    FakeStormApi api;
    // "-玩家" in UTF-8 becomes its GBK bytes in the row.
    api.archives["m.w3x"]["war3map.j"] = {registration(3, "-\xE7\x8E\xA9\xE5\xAE\xB6")};
    MapArchiveReader reader(api);
    RecordingSink sink;
    ScanDriver(reader, sink).scanMapFile("m.w3x");
    // The label's bytes are fixed; the command is the ANSI code page's form of "-玩家",
    // CD E6 BC D2 after the dash under code page 936.
    const Text command =
        ScriptTranscoder::transcodeScript(ByteBuffer::fromBytes("-\xE7\x8E\xA9\xE5\xAE\xB6"));
    ASSERT_EQ(sink.rows.size(), 1u);
    EXPECT_EQ(sink.rows[0], (ResultRow{"\xCD\xE6\xBC\xD2"
                                       "4",
                                       command, "true "}));
}

TEST(ScanDriverTest, ASecondDropReplacesTheFirstsRowsEntirely) {
    FakeStormApi api;
    api.archives["a.w3x"]["war3map.j"] = {registration(0, "-a1") + registration(1, "-a2")};
    api.archives["b.w3x"]["war3map.j"] = {registration(5, "-b")};
    api.archives["c.w3x"]["war3map.j"] = {"no registrations"};
    MapArchiveReader reader(api);
    RecordingSink sink;
    ScanDriver driver(reader, sink);
    driver.scanMapFile("a.w3x");
    EXPECT_EQ(commands(sink), (std::vector<std::string>{"-a1", "-a2"}));
    driver.scanMapFile("b.w3x");
    EXPECT_EQ(commands(sink), (std::vector<std::string>{"-b"}));
    driver.scanMapFile("c.w3x");
    EXPECT_TRUE(sink.rows.empty());
    EXPECT_EQ(sink.clears, 3);
}

} // namespace
} // namespace quorvell
