// The drop target's rules that need no window: the effect table and the event text.
#include "app/DropRules.h"
#include "DropEffectCases.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvell {
namespace {

TEST(DropRulesTest, EffectFollowsTheKeysAndTheAllowedEffects) {
    for (const apptest::EffectCase& c : apptest::kEffectCases) {
        EXPECT_EQ(dropEffect(true, c.keys, c.allowed), c.expected) << c.name;
    }
}

TEST(DropRulesTest, DataWithoutAFileListGetsNoEffectWhateverTheKeys) {
    for (const apptest::EffectCase& c : apptest::kEffectCases) {
        EXPECT_EQ(dropEffect(false, c.keys, c.allowed), kDropEffectNone) << c.name;
    }
}

TEST(DropRulesTest, EventTextNamesOneFileAloneAndEndsEveryNameOfSeveral) {
    struct Case {
        std::vector<Text> names;
        Text expected;
    };
    const Case cases[] = {
        {{}, ""},
        {{"C:\\maps\\a.w3x"}, "C:\\maps\\a.w3x"},
        {{"a", "b"}, "a\r\nb\r\n"},
        {{"a", "b", "c"}, "a\r\nb\r\nc\r\n"},
        {{""}, ""},
        {{"", ""}, "\r\n\r\n"},
        {{"C:\\maps"}, "C:\\maps"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(filesDroppedText(c.names).view(), c.expected.view()) << c.names.size();
    }
}

} // namespace
} // namespace quorvell
