#include "tools/scan/ScanCommand.h"
#include "tools/scan/RowFormat.h"

#include "map/ScriptTranscoder.h"
#include "tests/map/FakeStormApi.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace quorvell::tools {
namespace {

namespace fs = std::filesystem;

class ScanCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("quorvell-scan-test-" +
                std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string write(const std::string& name, std::string_view bytes) {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

    int run(const std::vector<std::string>& args) {
        out_.str("");
        err_.str("");
        return runScanCommand(args, out_, err_, api_);
    }

    testing::FakeStormApi api_;

    fs::path dir_;
    std::ostringstream out_;
    std::ostringstream err_;
};

TEST(RowFormatTest, EscapesBackslashTabAndLineEndsOnly) {
    EXPECT_EQ(escapeCell("a\\b\tc\nd\re\"\xCD\xE6"), "a\\\\b\\tc\\nd\\re\"\xCD\xE6");
}

TEST_F(ScanCommandTest, PrintsOneLinePerRowWithTheLabelBytesAsTheyAre) {
    const auto file =
        write("a.j", "call TriggerRegisterPlayerChatEvent( t, Player(0), \"-a\\tb\", true )\n"
                     "call TriggerRegisterPlayerChatEvent( t, Player(1), \"x\\\\y\", false )\n"
                     "call TriggerRegisterPlayerChatEvent( t, Player(2), \"z\", true\t)");
    EXPECT_EQ(run({"--text", file}), 0);
    EXPECT_EQ(out_.str(), "\xCD\xE6\xBC\xD2"
                          "1\t-a\\\\tb\ttrue \n"
                          "\xCD\xE6\xBC\xD2"
                          "2\tx\\\\\\\\y\tfalse \n"
                          "\xCD\xE6\xBC\xD2"
                          "3\tz\ttrue\\t\n");
    EXPECT_EQ(err_.str(), "");
}

TEST_F(ScanCommandTest, TheTextEndsAtTheFirstNul) {
    const std::string row = "call TriggerRegisterPlayerChatEvent(t,Player(0),\"a\",true)";
    const auto file = write("cut.j", row + '\0' + row);
    EXPECT_EQ(run({"--text", file}), 0);
    EXPECT_EQ(out_.str(), "\xCD\xE6\xBC\xD2"
                          "1\ta\ttrue\n");
}

TEST_F(ScanCommandTest, SeveralFilesPrefixTheirNamesAndAnUnreadableOneIsReported) {
    const auto a = write("a.j", "call TriggerRegisterPlayerChatEvent(t,Player(0),\"a\",true)");
    const auto empty = write("empty.j", "");
    const auto missing = (dir_ / "missing.j").string();
    EXPECT_EQ(run({"--text", a, missing, empty}), 1);
    EXPECT_EQ(out_.str(), a + "\t\xCD\xE6\xBC\xD2"
                              "1\ta\ttrue\n");
    const std::string err = err_.str();
    EXPECT_NE(err.find("missing.j"), std::string::npos);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
}

TEST_F(ScanCommandTest, NoRowsIsStillSuccess) {
    EXPECT_EQ(run({"--text", write("none.j", "function main takes nothing returns nothing")}), 0);
    EXPECT_EQ(out_.str(), "");
}

TEST_F(ScanCommandTest, UsageErrorsGiveStatusTwo) {
    const std::vector<std::vector<std::string>> bad = {
        {}, {"--text"}, {"--script"}, {"--bogus", "x"}};
    for (const auto& args : bad) {
        EXPECT_EQ(run(args), 2);
        EXPECT_NE(err_.str().find("usage:"), std::string::npos);
        EXPECT_EQ(out_.str(), "");
    }
}

const std::string kPlayer = "\xCD\xE6\xBC\xD2";

std::string registration(int player, const std::string& command) {
    return "call TriggerRegisterPlayerChatEvent( t, Player(" + std::to_string(player) + "), \"" +
           command + "\", false )\n";
}

TEST_F(ScanCommandTest, AScriptFileIsTranscodedFromUtf8First) {
    // "-玩家" in UTF-8; in the rows as the ANSI code page writes it (CD E6 BC D2 under 936).
    const auto file =
        write("s.j", registration(0, "-\xE7\x8E\xA9\xE5\xAE\xB6") + registration(1, "-b"));
    const std::string command =
        ScriptTranscoder::transcodeScript(ByteBuffer::fromBytes("-\xE7\x8E\xA9\xE5\xAE\xB6"))
            .bytes();
    EXPECT_EQ(run({"--script", file}), 0);
    EXPECT_EQ(out_.str(), kPlayer + "1\t" + command + "\tfalse \n" + kPlayer + "2\t-b\tfalse \n");
}

TEST_F(ScanCommandTest, Utf8OutputConvertsEveryCell) {
    const auto file = write("s.j", registration(4, "-\xE7\x8E\xA9\xE5\xAE\xB6"));
    EXPECT_EQ(run({"--utf8", "--script", file}), 0);
    EXPECT_EQ(out_.str(), ansiToUtf8(kPlayer + "5\t") +
                              ansiToUtf8(ScriptTranscoder::transcodeScript(
                                             ByteBuffer::fromBytes("-\xE7\x8E\xA9\xE5\xAE\xB6"))
                                             .bytes()) +
                              "\tfalse \n");
#ifndef _WIN32
    EXPECT_EQ(out_.str(), "玩家5\t-玩家\tfalse \n");
#endif
    const auto ansi = write("a.j", registration(0, "-\xCD\xE6"));
    EXPECT_EQ(run({"--text", ansi, "--utf8"}), 0);
    EXPECT_EQ(out_.str(), ansiToUtf8(kPlayer + "1\t-\xCD\xE6\tfalse \n"));
}

TEST_F(ScanCommandTest, MapsAreScannedWithTheFallbackAndUnreadableOnesReported) {
    const auto a = write("a.w3x", "archive a");
    const auto b = write("b.w3x", "archive b");
    const auto notMap = write("notes.txt", "just text");
    api_.archives[a]["war3map.j"] = {registration(0, "-a")};
    api_.archives[b]["war3map.j"] = {""};
    api_.archives[b]["scripts\\war3map.j"] = {registration(11, "-b")};
    const auto missing = (dir_ / "missing.w3x").string();
    const auto folder = dir_.string();

    EXPECT_EQ(run({a}), 0);
    EXPECT_EQ(out_.str(), kPlayer + "1\t-a\tfalse \n");

    EXPECT_EQ(run({a, missing, b, folder, notMap}), 1);
    EXPECT_EQ(out_.str(),
              a + "\t" + kPlayer + "1\t-a\tfalse \n" + b + "\t" + kPlayer + "12\t-b\tfalse \n");
    const std::string err = err_.str();
    EXPECT_NE(err.find("cannot read '" + missing + "'"), std::string::npos) << err;
    EXPECT_NE(err.find("cannot read '" + folder + "'"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2);
}

TEST_F(ScanCommandTest, OptionsThatExcludeEachOtherAreAUsageError) {
    EXPECT_EQ(run({"--text", "--script", "x"}), 2);
    EXPECT_NE(err_.str().find("usage:"), std::string::npos);
    EXPECT_EQ(run({"--utf8"}), 2);
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_NE(out_.str().find("--script"), std::string::npos);
}

} // namespace
} // namespace quorvell::tools
