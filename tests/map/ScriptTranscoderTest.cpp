#include "map/ScriptTranscoder.h"

#include <gtest/gtest.h>

#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

namespace quorvell {
namespace {

using namespace std::string_literals;

ByteBuffer bytes(std::string_view b) {
    return ByteBuffer::fromBytes(b);
}

// The cases below that name Chinese characters need the ANSI code page 936, the native
// stand-in's and, on Windows, that of a Simplified Chinese system.
class ScriptTranscoderTest : public ::testing::Test {
  protected:
    void SetUp() override {
#ifdef _WIN32
        ASSERT_EQ(GetACP(), 936u)
            << "these tests need the ANSI code page 936: run them with "
               "LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8 and LOCPATH naming a zh_CN locale";
#endif
    }
};

TEST_F(ScriptTranscoderTest, EmptyAndNulLedInputsGiveNothingAtAllSteps) {
    for (const std::string& in : {""s, std::string(100, '\0'), "\0abc"s}) {
        const ByteBuffer input = bytes(in);
        EXPECT_EQ(ScriptTranscoder::utf8ToUtf16(input).length(), 0) << in.size();
        EXPECT_EQ(ScriptTranscoder::transcodeScript(input), Text("")) << in.size();
    }
    EXPECT_EQ(ScriptTranscoder::utf16ToAnsi(ByteBuffer()), Text(""));
}

TEST_F(ScriptTranscoderTest, UnitsCarryTheirTerminator) {
    const struct {
        std::string utf8;
        std::string utf16;
        std::string ansi;
    } cases[] = {
        {"abc", "a\0b\0c\0\0\0"s, "abc"},
        {"\xE7\x8E\xA9\xE5\xAE\xB6", "\xA9\x73\xB6\x5B\0\0"s, "\xCD\xE6\xBC\xD2"}, // 玩家
        {"ab\0cd"s, "a\0b\0\0\0"s, "ab"},                                          // NUL inside
        {"-\xE5\x90\x8C\xE7\x9B\x9F x", "-\0\x0C\x54\xDF\x76 \0x\0\0\0"s,
         "-\xCD\xAC\xC3\xCB x"}, // 同盟
    };
    for (const auto& c : cases) {
        const ByteBuffer wide = ScriptTranscoder::utf8ToUtf16(bytes(c.utf8));
        EXPECT_EQ(wide.view(), c.utf16) << c.utf8;
        EXPECT_EQ(ScriptTranscoder::utf16ToAnsi(wide), Text(c.ansi)) << c.utf8;
        EXPECT_EQ(ScriptTranscoder::transcodeScript(bytes(c.utf8)), Text(c.ansi)) << c.utf8;
    }
}

TEST_F(ScriptTranscoderTest, MalformedUtf8BecomesReplacementsWithoutShorteningTheText) {
    // A stray continuation byte, a cut sequence, an overlong form, an encoded surrogate.
    const std::string script =
        "call a\x80 b\xE7\x8E c\xC0\xAF d\xED\xA0\x80 call TriggerRegisterPlayerChatEvent(t)";
    const ByteBuffer wide = ScriptTranscoder::utf8ToUtf16(bytes(script));
    ASSERT_GE(wide.length(), 4);
    // The stray byte is one U+FFFD between "a" and " ".
    EXPECT_EQ(wide.view().substr(10, 6), "a\0\xFD\xFF \0"s);
    const Text text = ScriptTranscoder::transcodeScript(bytes(script));
    EXPECT_EQ(text.view().substr(0, 6), "call a");
    // How many replacements a bad sequence gives is the platform's; none is dropped.
    for (const char* kept :
         {"call a?", " b?", " c?", " d?", "? call TriggerRegisterPlayerChatEvent(t)"}) {
        EXPECT_NE(text.view().find(kept), std::string_view::npos) << kept << " in " << text.view();
    }
    EXPECT_EQ(text, ScriptTranscoder::utf16ToAnsi(wide));
}

TEST_F(ScriptTranscoderTest, AByteOrderMarkIsAnOrdinaryCharacter) {
    const ByteBuffer wide = ScriptTranscoder::utf8ToUtf16(bytes("\xEF\xBB\xBFx"));
    EXPECT_EQ(wide.view(), "\xFF\xFEx\0\0\0"s);
    const Text text = ScriptTranscoder::transcodeScript(bytes("\xEF\xBB\xBFx"));
    ASSERT_GE(text.length(), 2);
    EXPECT_TRUE(text.view().ends_with("x"));
    EXPECT_EQ(text, ScriptTranscoder::utf16ToAnsi(wide));
}

TEST_F(ScriptTranscoderTest, AScriptStoredAsUtf16IsCutAtItsFirstNul) {
    // FF FE, then "a" as 61 00: the text is FF FE 61, whose first two bytes are malformed.
    const Text text = ScriptTranscoder::transcodeScript(bytes("\xFF\xFE"
                                                              "a\0b\0"s));
    ASSERT_GE(text.length(), 1);
    EXPECT_TRUE(text.view().ends_with("a"));
    EXPECT_LE(text.length(), 5);
}

TEST_F(ScriptTranscoderTest, CharactersTheCodePageLacksAreSubstituted) {
    // U+0E01 (Thai) and U+1F600 (beyond the BMP) have no GBK form.
    const Text text = ScriptTranscoder::transcodeScript(bytes("a\xE0\xB8\x81"
                                                              "b\xF0\x9F\x98\x80"
                                                              "c\xE7\x8E\xA9"));
    EXPECT_TRUE(text.view().starts_with("a"));
    EXPECT_TRUE(text.view().ends_with("c\xCD\xE6"));
    EXPECT_NE(text.view().find('?'), std::string_view::npos);
#ifndef _WIN32
    EXPECT_EQ(text, Text("a?b?c\xCD\xE6"));
#endif
}

TEST_F(ScriptTranscoderTest, UnitsWithoutATerminatorAreReadNoFurtherThanTheBuffer) {
    EXPECT_EQ(ScriptTranscoder::utf16ToAnsi(bytes("a\0b\0"s)), Text("ab"));
    EXPECT_EQ(ScriptTranscoder::utf16ToAnsi(bytes("a\0b"s)), Text("a"));
    EXPECT_EQ(ScriptTranscoder::utf16ToAnsi(bytes("\xA9\x73"s)), Text("\xCD\xE6"));
}

TEST_F(ScriptTranscoderTest, TheOneStepAndTheTwoStepsAgreeOnMixedText) {
    std::string script;
    const char* const pieces[] = {"call TriggerRegisterPlayerChatEvent( gg_trg, Player(0), \"-",
                                  "\xE7\x8E\xA9\xE5\xAE\xB6",
                                  "\", true )\r\n",
                                  "\xC3\xA9",
                                  "\xE2\x82\xAC",
                                  "\xF0\x9F\x98\x80",
                                  "\xFF",
                                  "\xE7\x8E",
                                  "x",
                                  "\xC2"};
    for (int i = 0; i < 400; ++i) {
        script += pieces[(i * 7 + i / 3) % 10];
    }
    const ByteBuffer input = bytes(script);
    EXPECT_EQ(ScriptTranscoder::transcodeScript(input),
              ScriptTranscoder::utf16ToAnsi(ScriptTranscoder::utf8ToUtf16(input)));
}

TEST_F(ScriptTranscoderTest, ArbitraryBytesGiveTheSameTextByBothRoads) {
    // Hostile input: random runs over bytes that start, continue and break sequences.
    const unsigned char alphabet[] = {'a',  ' ',  '"',  0x7F, 0x80, 0xA9, 0xBF, 0xC0,
                                      0xC2, 0xDF, 0xE0, 0xE7, 0xED, 0xEF, 0xF0, 0xF4,
                                      0xF5, 0xFF, 0x8E, 0x9F, 0xA0, 0x00};
    std::uint32_t seed = 12345;
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 16;
    };
    for (int round = 0; round < 3000; ++round) {
        std::string in(next() % 40, '\0');
        for (char& c : in) {
            c = static_cast<char>(alphabet[next() % sizeof alphabet]);
        }
        const ByteBuffer input = bytes(in);
        const ByteBuffer wide = ScriptTranscoder::utf8ToUtf16(input);
        const Text text = ScriptTranscoder::transcodeScript(input);
        ASSERT_EQ(text, ScriptTranscoder::utf16ToAnsi(wide)) << round;
        // Never longer than the output area of the two-step road.
        ASSERT_LE(text.length(), wide.length()) << round;
    }
}

TEST_F(ScriptTranscoderTest, AnsiTextComesBackAsUtf8) {
    EXPECT_EQ(ansiToUtf8("\xCD\xE6\xBC\xD2"
                         "12"),
              "玩家12");
    EXPECT_EQ(ansiToUtf8("-ab true"), "-ab true");
    EXPECT_EQ(ansiToUtf8(""), "");
}

} // namespace
} // namespace quorvell
