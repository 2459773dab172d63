// The fast extractor against the step-by-step one on the scripts of real maps: the
// shared maps' scripts, read and transcoded as a scan reads them.
#include "map/MapArchiveReader.h"
#include "map/ScriptTranscoder.h"
#include "map/StormApi.h"
#include "scan/ChatCommandExtractor.h"
#include "tests/support/LiteralExtractor.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace quorvell {
namespace {

TEST(RealScriptsTest, FastAndStepByStepExtractionsAgree) {
    const auto dir = testing::sharedMapsDir();
    if (!dir) {
        GTEST_SKIP() << "skipped: the shared maps folder (../shared/maps) is absent";
    }
    MapArchiveReader reader(systemStormApi());
    int scripts = 0;
    for (const auto& entry : std::filesystem::directory_iterator(*dir)) {
        const auto ext = entry.path().extension();
        if (ext != ".w3x" && ext != ".w3m") {
            continue;
        }
        const std::string path = entry.path().string();
        SCOPED_TRACE(path);
        ByteBuffer bytes = reader.readInnerFile(Text(path), "war3map.j");
        if (bytes.length() == 0) {
            bytes = reader.readInnerFile(Text(path), "scripts\\war3map.j");
        }
        const Text script = ScriptTranscoder::transcodeScript(bytes);
        if (script.empty()) {
            continue;
        }
        ++scripts;
        testing::RecordingSink fast;
        testing::RecordingSink literal;
        ChatCommandExtractor::extractChatCommands(script, fast);
        testing::extractLiterally(script, literal);
        EXPECT_EQ(fast.rows, literal.rows);
    }
    EXPECT_GT(scripts, 10);
}

} // namespace
} // namespace quorvell
