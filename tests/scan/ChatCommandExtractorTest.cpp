#include "scan/ChatCommandExtractor.h"

#include "tests/support/LiteralExtractor.h"
#include "tests/support/RecordingSink.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace quorvell {
namespace {

using testing::RecordingSink;

#define PLAYER "\xCD\xE6\xBC\xD2"

std::vector<ResultRow> extract(std::string_view script) {
    RecordingSink sink;
    ChatCommandExtractor::extractChatCommands(Text(script), sink);
    EXPECT_EQ(sink.clears, 1);
    return sink.rows;
}

std::vector<ResultRow> extractLiterally(std::string_view script) {
    RecordingSink sink;
    testing::extractLiterally(Text(script), sink);
    return sink.rows;
}

std::string describe(const std::vector<ResultRow>& rows) {
    std::string out;
    for (const auto& r : rows) {
        out += "(" + r.playerLabel.bytes() + " | " + r.command.bytes() + " | " + r.matchFlag.bytes() + ")\n";
    }
    return out;
}

struct ExtractCase {
    const char* name;
    std::string script;
    std::vector<ResultRow> expected;
};

// Each case is checked against the fast extractor and the step-by-step one.
const std::vector<ExtractCase>& cases() {
    static const std::vector<ExtractCase> table = {
        {"world editor line",
         "function X takes nothing returns nothing\r\n"
         "    call TriggerRegisterPlayerChatEvent( gg_trg_X, Player(0), \"-ar\", true )\r\n"
         "    call TriggerAddAction( gg_trg_X, function Trig_X_Actions )\r\nendfunction\r\n",
         {{PLAYER "1", "-ar", "true "}}},
        {"no blanks at the very end", "call TriggerRegisterPlayerChatEvent(t,Player(0),\"-a\",true)",
         {{PLAYER "1", "-a", "true"}}},
        {"player 11, false",
         "call TriggerRegisterPlayerChatEvent( t, Player(11), \"x\", false )\n",
         {{PLAYER "12", "x", "false "}}},
        {"players that are no literal",
         "call TriggerRegisterPlayerChatEvent( t, GetEnumPlayer(), \"a\", true )\n"
         "call TriggerRegisterPlayerChatEvent( t, p, \"b\", true )\n"
         "call TriggerRegisterPlayerChatEvent( t, Player( 3 ), \"c\", true )\n"
         "call TriggerRegisterPlayerChatEvent( t, ConvertedPlayer(2), \"d\", true )\n"
         "call TriggerRegisterPlayerChatEvent( t, Player(-1), \"e\", true )\n"
         "call TriggerRegisterPlayerChatEvent( t, Player(2147483647), \"f\", true )\n",
         {{PLAYER "1", "a", "true "},
          {PLAYER "1", "b", "true "},
          {PLAYER "4", "c", "true "},
          {PLAYER "3", "d", "true "},
          {PLAYER "0", "e", "true "},
          {PLAYER "2147483648", "f", "true "}}},
        {"chat text in a variable", "call TriggerRegisterPlayerChatEvent( t, Player(0), s, true )\n", {}},
        {"variable, then a later quoted string",
         "call TriggerRegisterPlayerChatEvent( t, Player(0), s, true )\n"
         "call DisplayTextToPlayer( p, 0, 0, \"hello\" )\n",
         {{PLAYER "1", "hello", "true "}}},
        {"escaped quote inside", "call TriggerRegisterPlayerChatEvent( t, Player(2), \"say \\\"hi\\\"\", false )\n",
         {{PLAYER "3", "say \"hi\"", "false "}}},
        {"only an escaped quote", "call TriggerRegisterPlayerChatEvent( t, Player(2), \"\\\"\", false )\n",
         {{PLAYER "3", "\"", "false "}}},
        {"comma inside", "call TriggerRegisterPlayerChatEvent( t, Player(3), \"a,b\", true )\n",
         {{PLAYER "4", "a,b", "true "}}},
        {"escaped backslash stays", "call TriggerRegisterPlayerChatEvent( t, Player(0), \"a\\\\b\", true )\n",
         {{PLAYER "1", "a\\\\b", "true "}}},
        {"ending in an escaped backslash", "call TriggerRegisterPlayerChatEvent( t, Player(0), \"abc\\\\\", true )\n",
         {}},
        {"empty chat text", "call TriggerRegisterPlayerChatEvent( t, Player(0), \"\", true )\n", {}},
        {"two blanks", "call TriggerRegisterPlayerChatEvent( t, Player(0), \"  \", true )\n",
         {{PLAYER "1", "  ", "true "}}},
        {"flags",
         "call TriggerRegisterPlayerChatEvent( t, Player(0), \"a\", true)\n"
         "call TriggerRegisterPlayerChatEvent( t, Player(0), \"b\", not true )\n"
         "call TriggerRegisterPlayerChatEvent( t, Player(0), \"c\", TRUE )\n"
         "call TriggerRegisterPlayerChatEvent( t, Player(0), \"d\",\ttrue )\n"
         "call TriggerRegisterPlayerChatEvent( t, Player(0), \"e\", (true) )\n"
         "call TriggerRegisterPlayerChatEvent( t, Player(0), \"f\", b )\n",
         {{PLAYER "1", "a", "true"},
          {PLAYER "1", "b", "not true "},
          {PLAYER "1", "d", "\ttrue "},
          {PLAYER "1", "e", "(true"}}},
        {"player expression with a comma",
         "call TriggerRegisterPlayerChatEvent( t, ConvertedPlayer(GetRandomInt(1, 12)), \"a\", true )\n", {}},
        {"forms that are not found",
         "call TriggerRegisterPlayerChatEvent ( t, Player(0), \"a\", true )\n"
         "call triggerregisterplayerchatevent( t, Player(0), \"b\", true )\n"
         "set e = TriggerRegisterPlayerChatEvent( t, Player(0), \"c\", true )\n",
         {}},
        {"cut off after the chat text", "call TriggerRegisterPlayerChatEvent( t, Player(0), \"a\"", {}},
        {"empty script", "", {}},
        {"no marker", "function main takes nothing returns nothing\nendfunction\n", {}},
        {"two on one line",
         "call TriggerRegisterPlayerChatEvent(t,Player(0),\"a\",true)"
         "call TriggerRegisterPlayerChatEvent(t,Player(1),\"b\",false)",
         {{PLAYER "1", "a", "true"}, {PLAYER "2", "b", "false"}}},
        {"the same twice",
         "call TriggerRegisterPlayerChatEvent(t,Player(0),\"a\",true)\n"
         "call TriggerRegisterPlayerChatEvent(t,Player(0),\"a\",true)\n",
         {{PLAYER "1", "a", "true"}, {PLAYER "1", "a", "true"}}},
        {"the chat text quoted again later",
         "call TriggerRegisterPlayerChatEvent( t, Player(1), \"-go\", true )\n"
         "call DisplayText( \"-go\", x )\n",
         {{PLAYER "2", "-go", "true "}}},
        {"a quoted string identical to the command before argument 4",
         "call TriggerRegisterPlayerChatEvent( t, Player(\"a\"1), \"a\", true )\n",
         {{PLAYER "2", "a", "true "}}},
        {"script beginning with the marker", "call TriggerRegisterPlayerChatEvent(t,Player(4),\"x\",true)",
         {{PLAYER "5", "x", "true"}}},
        {"CR-only line ends",
         "call TriggerRegisterPlayerChatEvent( t, Player(0), \"a\", true )\r"
         "call TriggerAddAction( t, function f )\rendfunction\r",
         {{PLAYER "1", "a", "true "}}},
        {"marker behind a lead byte is not found",
         "\xB0" "call TriggerRegisterPlayerChatEvent(t,Player(0),\"a\",true)", {}},
        {"marker behind a complete pair is found",
         "\xB0\xA1" "call TriggerRegisterPlayerChatEvent(t,Player(0),\"a\",true)",
         {{PLAYER "1", "a", "true"}}},
        {"quote as a trail byte is no quote",
         "call TriggerRegisterPlayerChatEvent(t,Player(0),\xE9\"a\",true)", {}},
        {"two-byte characters in the command",
         "call TriggerRegisterPlayerChatEvent(t,Player(0),\"\xC4\xE3\xBA\xC3\",true)",
         {{PLAYER "1", "\xC4\xE3\xBA\xC3", "true"}}},
        {"backslash as a trail byte before the closing quote",
         "call TriggerRegisterPlayerChatEvent(t,Player(0),\"\x81\\\",true)",
         {{PLAYER "1", "\x81\\", "true"}}},
        {"full-width player number",
         "call TriggerRegisterPlayerChatEvent(t,Player(\xA3\xB7),\"a\",true)",
         {{PLAYER "8", "a", "true"}}},
        {"nested parentheses in the player",
         "call TriggerRegisterPlayerChatEvent(t,Player(GetPlayerId(p)),\"a\",true)",
         {{PLAYER "1", "a", "true"}}},
        {"three arguments then end", "call TriggerRegisterPlayerChatEvent(t,Player(0),\"a\",", {}},
        {"flag with no closing parenthesis", "call TriggerRegisterPlayerChatEvent(t,Player(0),\"a\",true", {}},
        {"flag found across lines",
         "call TriggerRegisterPlayerChatEvent(t,Player(0),\"a\",\ntrue\n)", {{PLAYER "1", "a", "\ntrue\n"}}},
    };
    return table;
}

TEST(ChatCommandExtractorTest, RowsFollowTheStepsAsWritten) {
    for (const auto& c : cases()) {
        const auto rows = extract(c.script);
        EXPECT_EQ(rows, c.expected) << c.name << "\n got:\n" << describe(rows);
        const auto literal = extractLiterally(c.script);
        EXPECT_EQ(literal, c.expected) << c.name << " (step by step)\n got:\n" << describe(literal);
    }
}

TEST(ChatCommandExtractorTest, ClearsTheSinkFirstAndOnce) {
    RecordingSink sink;
    sink.rows.push_back({"old", "old", "true"});
    ChatCommandExtractor::extractChatCommands("", sink);
    EXPECT_EQ(sink.clears, 1);
    EXPECT_TRUE(sink.rows.empty());
}

TEST(ChatCommandExtractorTest, NamedStepsBehaveAsDescribed) {
    using E = ChatCommandExtractor;
    EXPECT_EQ(E::removeFirstQuoted("a\"b\"c\"b\"d"), Text("acd"));
    EXPECT_EQ(E::removeFirstQuoted("a\"b"), Text("a\"b"));
    EXPECT_EQ(E::removeFirstQuoted("ab"), Text("ab"));
    EXPECT_EQ(E::textBetween("Player(3)", "(", ")"), Text("3"));
    EXPECT_EQ(E::textBetween("p", "(", ")"), Text(""));
    EXPECT_EQ(E::textBetween("f()", "(", ")"), Text(""));
    EXPECT_EQ(E::textBetween("a)(b", "(", ")"), Text(""));
    EXPECT_EQ(E::textBetween("f(g(1))", "(", ")"), Text("g(1)"));
    RecordingSink sink;
    E::acceptRow(sink, "p", "", "true");
    E::acceptRow(sink, "p", "c", "maybe");
    E::acceptRow(sink, "p", "c", "falsey");
    EXPECT_EQ(sink.rows, (std::vector<ResultRow>{{"p", "c", "falsey"}}));
}

// Scripts made of the pieces that matter to the steps: markers, quotes, escapes,
// commas, parentheses, flag words, blanks, line ends and bytes of 0x80 and above.
std::string randomScript(std::mt19937& rng, std::size_t tokens) {
    static const std::vector<std::string> parts = {
        "call TriggerRegisterPlayerChatEvent(", "call TriggerRegisterPlayerChatEvent( t, Player(",
        "\"", "\\\"", "\\", ",", "(", ")", " true ", "false", " ", "\r\n", "\n", "Player(", "1", "-",
        "\xA3\xB1", "\xA1\xA1", "\xB0", "\xE9", "\x81\\", "\xCD\xE6\xBC\xD2", "a", "ab", "\"x\"", "tr", "ue",
    };
    std::uniform_int_distribution<std::size_t> pick(0, parts.size() - 1);
    std::string s;
    for (std::size_t i = 0; i < tokens; ++i) {
        s += parts[pick(rng)];
    }
    return s;
}

TEST(ChatCommandExtractorTest, AgreesWithTheStepsOnRandomScripts) {
    std::mt19937 rng(20261211);
    for (int round = 0; round < 4000; ++round) {
        const std::string script = randomScript(rng, 1 + static_cast<std::size_t>(round % 80));
        const auto fast = extract(script);
        const auto literal = extractLiterally(script);
        ASSERT_EQ(fast, literal) << "script:\n" << script << "\nfast:\n" << describe(fast) << "literal:\n"
                                 << describe(literal);
    }
}

} // namespace
} // namespace quorvell
