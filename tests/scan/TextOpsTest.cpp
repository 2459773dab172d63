#include "scan/TextOps.h"

#include <gtest/gtest.h>

#include <vector>

namespace quorvell {
namespace {

std::vector<Text> members(const TextList& list) {
    std::vector<Text> out;
    for (std::int32_t i = 1; i <= list.count(); ++i) {
        out.push_back(list.member(i));
    }
    return out;
}

TEST(TextTest, BuildingFromBytesStopsAtTheFirstNul) {
    EXPECT_EQ(Text(std::string_view("ab\0cd", 5)), Text("ab"));
    EXPECT_EQ(Text(std::string("\0x", 2)).length(), 0);
    EXPECT_EQ(Text(static_cast<const char*>(nullptr)), Text(""));
    EXPECT_EQ(Text("\xCD\xE6").length(), 2);
}

struct MidCase {
    const char* text;
    std::int32_t start;
    std::int32_t count;
    const char* expected;
};

TEST(TextOpsTest, TextMidCutsByBytesAndGivesEmptyOutOfRange) {
    const MidCase cases[] = {
        {"hello", 1, 2, "he"},  {"hello", 0, 2, ""},   {"hello", -1, 1, ""},   {"hello", 5, 1, "o"},
        {"hello", 6, 1, ""},    {"hello", 4, 10, "lo"}, {"hello", 2, 0, ""},   {"hello", 2, -1, ""},
        {"", 1, 1, ""},         {"\xB0\xA1x", 2, 1, "\xA1"}, {"hello", 1, 2147483647, "hello"},
        {"hello", -2147483647 - 1, 5, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(textMid(c.text, c.start, c.count), Text(c.expected))
            << c.text << " " << c.start << " " << c.count;
    }
}

TEST(TextOpsTest, TextLeftCutsByBytes) {
    const std::pair<std::int32_t, const char*> cases[] = {
        {0, ""}, {-2, ""}, {9, "hello"}, {5, "hello"}, {2, "he"}};
    for (const auto& [count, expected] : cases) {
        EXPECT_EQ(textLeft("hello", count), Text(expected)) << count;
    }
    EXPECT_EQ(textLeft("\xB0\xA1x", 1), Text("\xB0")); // may end inside a two-byte character
}

struct FindCase {
    std::string_view text;
    const char* pattern;
    std::int32_t start;
    std::int32_t expected;
};

TEST(TextOpsTest, FindTextFollowsTheCharacterStepRule) {
    const FindCase cases[] = {
        {"abcabc", "c", 1, 3},
        {"abcabc", "c", 4, 6},
        {"abcabc", "c", 0, 3},
        {"abcabc", "c", -5, 3},
        {"abcabc", "c", 6, 6},
        {"abcabc", "c", 7, -1},
        {"", "c", 1, -1},
        {"\xE9\x22\x78\x22", "\"", 1, 4}, // the quote at 2 is a trail byte
        {"\x61\xE9\x22", "\"", 1, -1},
        {"\xE9\x22\x78\x22", "\"", 2, 2},  // a walk that begins at byte 2 counts its steps from there
        {"abc", "abcd", 1, -1},            // fewer bytes remain than the pattern has
        {"xxtrue", "true", 1, 3},
        {"\xB0tru\xB0\xA1true", "true", 1, 7},
        {"\xB0tru\xB0true", "true", 1, -1},  // the t after B0 is a trail byte
        {"a\xFF", "a", 2, -1},             // walk ends at a final byte of 0x80 or above
        {"TRUE", "true", 1, -1},           // exact case
    };
    for (const auto& c : cases) {
        EXPECT_EQ(findText(Text(c.text), c.pattern, c.start), c.expected)
            << "'" << c.text << "' '" << c.pattern << "' from " << c.start;
    }
    EXPECT_EQ(findText("abcabc", "c"), 3); // start omitted
}

TEST(TextOpsTest, FindTextReverseCountsOverlappingMatches) {
    const FindCase cases[] = {
        {"a)b)c", ")", 0, 4},  {"abc", ")", 0, -1},       {"", ")", 0, -1},
        {")))", "))", 0, 2},   {"\xB0)x", ")", 0, -1},     {"\xB0))", ")", 0, 3},
        {"(1)\xB0)", ")", 0, 3},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(findTextReverse(Text(c.text), c.pattern), c.expected) << c.text;
    }
}

struct ReplaceCase {
    std::string_view text;
    const char* pattern;
    const char* replacement;
    std::string_view expected;
};

TEST(TextOpsTest, ReplaceTextWalksLeftToRightWithoutOverlaps) {
    const ReplaceCase cases[] = {
        {"aaa", "aa", "b", "ba"},
        {"a\\\"b", "\\\"", "  ", "a  b"},
        {"\\\\\"", "\\\"", "  ", "\\  "},
        {"x\"y\"x\"y\"", "\"y\"", "", "xx"},
        {"abc", "", "z", "abc"},
        {"", "ab", "z", ""},
        {"\x81\\\"", "\\\"", "  ", "\x81\\\""},   // the backslash is a trail byte: no match
        {"\x81\\\\\"", "\\\"", "  ", "\x81\\  "},
        {"ab\xB0", "b\xB0", "", "a"},
        {"abab", "ab", "abab", "abababab"},       // the replacement is not scanned again
        {"xab", "abc", "", "xab"},                // the tail shorter than the pattern stays
    };
    for (const auto& c : cases) {
        EXPECT_EQ(replaceText(Text(c.text), c.pattern, c.replacement), Text(c.expected)) << c.text;
    }
}

struct SplitCase {
    std::string_view text;
    const char* delimiter;
    std::vector<const char*> expected;
};

TEST(TextOpsTest, SplitTextKeepsEmptyMembersButNoEmptyLastOne) {
    const SplitCase cases[] = {
        {"", ",", {}},
        {"abc", ",", {"abc"}},
        {"a,b,", ",", {"a", "b"}},
        {",a", ",", {"", "a"}},
        {"a,,b", ",", {"a", "", "b"}},
        {",", ",", {""}},
        {",,", ",", {"", ""}},
        {"\xB0\x2C\x78\x2C\x79", ",", {"\xB0\x2C\x78", "y"}},
        {"a,\xB0", ",", {"a", "\xB0"}},
        {"xSEPySEP", "SEP", {"x", "y"}},
        {"SEPSEP", "SEP", {"", ""}},
    };
    for (const auto& c : cases) {
        std::vector<Text> expected(c.expected.begin(), c.expected.end());
        EXPECT_EQ(members(splitText(Text(c.text), c.delimiter)), expected) << c.text;
    }
}

TEST(TextOpsTest, TrimStartRemovesSpacesAndFullWidthSpacesOnly) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"  a ", "a "},
        {"\xA1\xA1 \xA1\xA1" "a", "a"},
        {"\ta", "\ta"},
        {"   ", ""},
        {"", ""},
        {"\xA1", "\xA1"},
        {" \xA1\xA2", "\xA1\xA2"},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(trimStart(Text(text)), Text(expected)) << text;
    }
}

TEST(TextOpsTest, ToIntegerReadsSignDigitsAndWrapsAround) {
    const std::pair<std::string_view, std::int32_t> cases[] = {
        {"0", 0},
        {" 3 ", 3},
        {"-1", -1},
        {"+5", 5},
        {"12abc", 12},
        {"1.9", 1},
        {"0x1A", 0},
        {"abc", 0},
        {"", 0},
        {"- 5", 0},
        {"--5", 0},
        {"4294967297", 1},
        {"2147483648", -2147483647 - 1},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"\xA1\xA1\xA3\xB7", 7},
        {"\xA3\xAD\xA3\xB2", -2},
        {"\xA3\xAB\xA3\xB1\xA3\xB0", 10},
        {"\t\n\v\f\r 42", 42},
        {"1\xA3\xB2" "3", 123},
        {"\xB0\x31", 0},        // a pair whose trail is a digit is no digit
        {"\xA3\x31", 0},        // A3 with a trail outside A1..FE folds to nothing
        {"  \xA3\xA0" "1", 0},
        {"99999999999", 1215752191},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(toInteger(Text(text)), expected) << text;
    }
}

TEST(TextOpsTest, NumberToTextWritesWholeNumbersPlainly) {
    const std::pair<double, const char*> cases[] = {
        {1, "1"},
        {12, "12"},
        {0, "0"},
        {-2147483647.0, "-2147483647"},
        {2147483648.0, "2147483648"},
        {-2147483648.0 + 1, "-2147483647"},
        {1e13, "1e+13"},
        {0.5, "0.5"},
    };
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(numberToText(value), Text(expected)) << value;
    }
}

TEST(TextOpsTest, ConcatCompareAndRemoveFirstMember) {
    EXPECT_EQ(concatText("\xCD\xE6\xBC\xD2", "12"), Text("\xCD\xE6\xBC\xD2" "12"));
    EXPECT_EQ(concatText("", ""), Text(""));
    EXPECT_EQ(compareText("", ""), 0);
    EXPECT_EQ(compareText(" ", ""), 1);
    EXPECT_EQ(compareText("", " "), -1);
    EXPECT_EQ(compareText("\xB0", "a"), 1); // unsigned bytes
    EXPECT_EQ(compareText("ab", "abc"), -1);

    TextList list;
    removeFirstMember(list);
    EXPECT_EQ(list.count(), 0);
    list = splitText("a,b,c", ",");
    removeFirstMember(list);
    EXPECT_EQ(members(list), (std::vector<Text>{"b", "c"}));
    EXPECT_EQ(list.member(0), Text(""));
    EXPECT_EQ(list.member(3), Text(""));
}

} // namespace
} // namespace quorvell
