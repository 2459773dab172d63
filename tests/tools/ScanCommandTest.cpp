#include "tools/scan/ScanCommand.h"
#include "tools/scan/RowFormat.h"

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
               ("quorvell-scan-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string write(const std::string& name, std::string_view bytes) {
        const fs::path path = dir_ / name;
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }

    int run(const std::vector<std::string>& args) {
        out_.str("");
        err_.str("");
        return runScanCommand(args, out_, err_);
    }

    fs::path dir_;
    std::ostringstream out_;
    std::ostringstream err_;
};

TEST(RowFormatTest, EscapesBackslashTabAndLineEndsOnly) {
    EXPECT_EQ(escapeCell("a\\b\tc\nd\re\"\xCD\xE6"), "a\\\\b\\tc\\nd\\re\"\xCD\xE6");
}

TEST_F(ScanCommandTest, PrintsOneLinePerRowWithTheLabelBytesAsTheyAre) {
    const auto file = write("a.j", "call TriggerRegisterPlayerChatEvent( t, Player(0), \"-a\\tb\", true )\n"
                                   "call TriggerRegisterPlayerChatEvent( t, Player(1), \"x\\\\y\", false )\n"
                                   "call TriggerRegisterPlayerChatEvent( t, Player(2), \"z\", true\t)");
    EXPECT_EQ(run({"--text", file}), 0);
    EXPECT_EQ(out_.str(), "\xCD\xE6\xBC\xD2" "1\t-a\\\\tb\ttrue \n"
                          "\xCD\xE6\xBC\xD2" "2\tx\\\\\\\\y\tfalse \n"
                          "\xCD\xE6\xBC\xD2" "3\tz\ttrue\\t\n");
    EXPECT_EQ(err_.str(), "");
}

TEST_F(ScanCommandTest, TheTextEndsAtTheFirstNul) {
    const std::string row = "call TriggerRegisterPlayerChatEvent(t,Player(0),\"a\",true)";
    const auto file = write("cut.j", row + '\0' + row);
    EXPECT_EQ(run({"--text", file}), 0);
    EXPECT_EQ(out_.str(), "\xCD\xE6\xBC\xD2" "1\ta\ttrue\n");
}

TEST_F(ScanCommandTest, SeveralFilesPrefixTheirNamesAndAnUnreadableOneIsReported) {
    const auto a = write("a.j", "call TriggerRegisterPlayerChatEvent(t,Player(0),\"a\",true)");
    const auto empty = write("empty.j", "");
    const auto missing = (dir_ / "missing.j").string();
    EXPECT_EQ(run({"--text", a, missing, empty}), 1);
    EXPECT_EQ(out_.str(), a + "\t\xCD\xE6\xBC\xD2" "1\ta\ttrue\n");
    const std::string err = err_.str();
    EXPECT_NE(err.find("missing.j"), std::string::npos);
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
}

TEST_F(ScanCommandTest, NoRowsIsStillSuccess) {
    EXPECT_EQ(run({"--text", write("none.j", "function main takes nothing returns nothing")}), 0);
    EXPECT_EQ(out_.str(), "");
}

TEST_F(ScanCommandTest, UsageErrorsGiveStatusTwo) {
    const std::vector<std::vector<std::string>> bad = {{}, {"--text"}, {"--bogus", "x"}};
    for (const auto& args : bad) {
        EXPECT_EQ(run(args), 2);
        EXPECT_NE(err_.str().find("usage:"), std::string::npos);
        EXPECT_EQ(out_.str(), "");
    }
}

} // namespace
} // namespace quorvell::tools
