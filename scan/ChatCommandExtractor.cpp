#include "scan/ChatCommandExtractor.h"

#include "scan/TextOps.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>

// The work is done in one pass over the script that gives, byte for byte, what the
// literal steps give (split the script, blank, strip, split the piece, read arguments
// 2 and 4), without building those intermediate texts: a piece can run to the end of a
// multi-megabyte script, but only its first quoted string and its first four arguments
// are ever read.

namespace quorvell {

namespace {

using Byte = std::uint8_t;
using textwalk::charLength;
using textwalk::isCharStart;

constexpr std::string_view kMarker = "call TriggerRegisterPlayerChatEvent(";
const Text kPlayerPrefix("\xCD\xE6\xBC\xD2"); // "玩家" in code page 936

// The first occurrence of the marker's bytes in [from, end), wherever it stands: a
// Horspool search, which skips most of the script a marker's length at a time.
const Byte* findMarkerBytes(const Byte* from, const Byte* end) {
    constexpr std::size_t m = kMarker.size();
    static const auto skip = [] {
        std::array<std::uint8_t, 256> table{};
        table.fill(static_cast<std::uint8_t>(m));
        for (std::size_t i = 0; i + 1 < m; ++i) {
            table[static_cast<Byte>(kMarker[i])] = static_cast<std::uint8_t>(m - 1 - i);
        }
        return table;
    }();
    const auto last = static_cast<Byte>(kMarker[m - 1]);
    for (const Byte* p = from; static_cast<std::size_t>(end - p) >= m; p += skip[p[m - 1]]) {
        if (p[m - 1] == last && std::memcmp(p, kMarker.data(), m - 1) == 0) {
            return p;
        }
    }
    return nullptr;
}

// The first registration marker at a character start in [from, end); `from` is one.
const Byte* findMarker(const Byte* from, const Byte* end) {
    const Byte* known = from; // a character start at or before every hit looked at
    while (static_cast<std::size_t>(end - from) >= kMarker.size()) {
        const Byte* hit = findMarkerBytes(from, end);
        if (hit == nullptr) {
            return nullptr;
        }
        if (isCharStart(known, hit)) {
            return hit;
        }
        known = from = hit + 1; // hit is the second byte of a pair
    }
    return nullptr;
}

// The first double quote at a character start in [from, end) that is not the quote of
// an escaped quote \" ; `from` is a character start.
const Byte* findQuote(const Byte* from, const Byte* end) {
    const Byte* known = from;
    const Byte* p = from;
    while (p < end) {
        const auto* hit = static_cast<const Byte*>(std::memchr(p, '"', static_cast<std::size_t>(end - p)));
        if (hit == nullptr) {
            return nullptr;
        }
        const bool escaped = hit > from && hit[-1] == '\\' && hit - 1 >= known && isCharStart(known, hit - 1);
        if (isCharStart(known, hit) && !escaped) {
            return hit;
        }
        // Either way the byte after the hit starts a character.
        known = p = hit + 1;
    }
    return nullptr;
}

// Appends the bytes of [from, to) with every escaped quote at a character start turned
// into `with` (one '"' for the command, two blanks for the blanked piece).
void appendUnescaped(std::string& out, const Byte* from, const Byte* to, std::string_view with) {
    const Byte* p = from;
    while (p < to) {
        if (to - p >= 2 && p[0] == '\\' && p[1] == '"') {
            out.append(with);
            p += 2;
        } else {
            const std::size_t len = charLength(p, to);
            out.append(reinterpret_cast<const char*>(p), len);
            p += len;
        }
    }
}

// Whether the blanked piece holds `quoted` at the character start p.
bool blankedMatches(const Byte* p, const Byte* end, std::string_view quoted) {
    if (static_cast<std::size_t>(end - p) < quoted.size()) {
        return false;
    }
    std::size_t j = 0;
    while (j < quoted.size()) {
        if (p[0] == '\\' && p + 1 < end && p[1] == '"') {
            if (quoted[j] != ' ' || (j + 1 < quoted.size() && quoted[j + 1] != ' ')) {
                return false;
            }
            j += 2;
            p += 2;
            continue;
        }
        const std::size_t len = std::min(charLength(p, end), quoted.size() - j);
        if (std::memcmp(p, quoted.data() + j, len) != 0) {
            return false;
        }
        j += len;
        p += len;
    }
    return true;
}

// Reads arguments 2 and 4 of the stripped piece: the blanked piece [begin, end) with
// the quoted string [q1, q2] and every later identical one removed, split at commas.
// Returns true when argument 4 exists and holds a ")", with `flagLeft` the bytes of
// argument 4 before it.
bool readArguments(const Byte* begin, const Byte* end, const Byte* q1, const Byte* q2,
                   std::string_view quoted, std::string& player, std::string& flagLeft) {
    int member = 1;
    // One character of the stripped text; false when it ends the search.
    auto take = [&](const Byte* bytes, std::size_t len) {
        if (len == 1 && bytes[0] == ',') {
            return ++member <= 4;
        }
        if (member == 2) {
            player.append(reinterpret_cast<const char*>(bytes), len);
        } else if (member == 4) {
            if (len == 1 && bytes[0] == ')') {
                return false;
            }
            flagLeft.append(reinterpret_cast<const char*>(bytes), len);
        }
        return true;
    };
    static const Byte kBlank = ' ';
    const Byte* p = begin;
    while (p < end) {
        if (p[0] == '\\' && p + 1 < end && p[1] == '"') {
            if (!take(&kBlank, 1) || !take(&kBlank, 1)) {
                break;
            }
            p += 2;
        } else if (p[0] == '"' && p == q1) {
            p = q2 + 1;
        } else if (p[0] == '"' && blankedMatches(p, end, quoted)) {
            p += quoted.size();
        } else {
            const std::size_t len = charLength(p, end);
            if (!take(p, len)) {
                break;
            }
            p += len;
        }
    }
    return member == 4 && p < end && *p == ')';
}

// One piece: the bytes from just after a marker to the next marker or the end.
void scanPiece(const Byte* begin, const Byte* end, ResultSink& sink, std::string& scratch) {
    const Byte* q1 = findQuote(begin, end);
    if (q1 == nullptr) {
        return; // no command
    }
    const Byte* q2 = findQuote(q1 + 1, end);
    if (q2 == nullptr || q2 == q1 + 1) {
        return; // no command, or the empty one
    }
    std::string command;
    appendUnescaped(command, q1 + 1, q2, "\"");

    scratch.clear();
    appendUnescaped(scratch, q1, q2 + 1, "  "); // the quoted string as the blanked piece holds it
    std::string player;
    std::string flagLeft;
    if (!readArguments(begin, end, q1, q2, scratch, player, flagLeft)) {
        return; // fewer than four arguments, or no ")" in argument 4: empty flag
    }
    ChatCommandExtractor::acceptRow(
        sink,
        [&] {
            const Text number = ChatCommandExtractor::textBetween(Text(std::move(player)), "(", ")");
            const Text label = numberToText(static_cast<double>(toInteger(number)) + 1.0);
            return concatText(kPlayerPrefix, label);
        }(),
        Text(std::move(command)), trimStart(Text(std::move(flagLeft))));
}

} // namespace

void ChatCommandExtractor::extractChatCommands(const Text& script, ResultSink& sink) {
    sink.clearRows();
    const Byte* const end = script.data() + script.length();
    std::string scratch;
    const Byte* marker = findMarker(script.data(), end);
    while (marker != nullptr) {
        const Byte* pieceBegin = marker + kMarker.size();
        const Byte* next = findMarker(pieceBegin, end);
        scanPiece(pieceBegin, next != nullptr ? next : end, sink, scratch);
        marker = next;
    }
}

Text ChatCommandExtractor::removeFirstQuoted(const Text& text) {
    const std::int32_t a = findText(text, "\"");
    const std::int32_t b = findText(text, "\"", a + 1);
    const Text quoted = textMid(text, a, b + textLength("\"") - a);
    return replaceText(text, quoted, "");
}

Text ChatCommandExtractor::textBetween(const Text& text, const Text& open, const Text& close) {
    const std::int32_t start = findText(text, open) + textLength(open);
    const std::int32_t end = findTextReverse(text, close);
    return textMid(text, start, end - start);
}

void ChatCommandExtractor::acceptRow(ResultSink& sink, Text playerLabel, Text command, Text matchFlag) {
    if (compareText(command, "") == 0) {
        return;
    }
    if (findText(matchFlag, "true") == -1 && findText(matchFlag, "false") == -1) {
        return;
    }
    sink.appendRow(ResultRow{std::move(playerLabel), std::move(command), std::move(matchFlag)});
}

} // namespace quorvell
