// The byte-exact operations on Text the chat-command extraction is built on.
//
// Character step rule: every search, replacement and split walks its text one
// character at a time. A byte below 0x80 is a one-byte character; a byte of 0x80 or
// above is the first byte of a two-byte character and is stepped over together with
// the byte after it, whatever that is. Patterns are compared only at character
// starts. The rule looks at byte values alone, not at a code page's lead-byte table.
// A byte of 0x80 or above that is the text's last byte ends the walk.
//
// Positions are 1-based, -1 means "not found"; out-of-range arguments give the empty
// text. Comparisons are exact bytes, case included.
#pragma once

#include "scan/Text.h"

#include <cstdint>
#include <initializer_list>

namespace quorvell {

std::int32_t textLength(const Text& text);
Text textLeft(const Text& text, std::int32_t count);
Text textMid(const Text& text, std::int32_t start, std::int32_t count);
// First match at or after `start` (1 or less: from the first byte), or -1.
std::int32_t findText(const Text& text, const Text& pattern, std::int32_t start = 1);
// Last match of a walk over the whole text (overlapping matches count), or -1.
std::int32_t findTextReverse(const Text& text, const Text& pattern);
// Every non-overlapping match, left to right, replaced; the replacement is not rescanned.
Text replaceText(const Text& text, const Text& pattern, const Text& replacement);
TextList splitText(const Text& text, const Text& delimiter);
// Drops leading spaces (0x20) and full-width spaces (A1 A1), in any mix.
Text trimStart(const Text& text);
// Leading white space, one sign, decimal digits; wraps around in 32 bits; 0 without digits.
std::int32_t toInteger(const Text& text);
// The value written with "%.13g".
Text numberToText(double value);
Text concatText(std::initializer_list<const Text*> texts);
inline Text concatText(const Text& a, const Text& b) { return concatText({&a, &b}); }
// -1, 0 or 1, comparing unsigned bytes up to the first end of either text.
int compareText(const Text& a, const Text& b);
void removeFirstMember(TextList& list);

namespace textwalk {
// Length in bytes of the character that starts at `p`, `end` being one past the text.
inline std::size_t charLength(const std::uint8_t* p, const std::uint8_t* end) {
    return (*p >= 0x80 && p + 1 < end) ? 2 : 1;
}
// Whether the walk that starts at the character start `from` lands on `p` (from <= p).
// A byte below 0x80 is always followed by a character start, so only the run of bytes
// of 0x80 or above right before `p` decides: they pair up from the run's start.
inline bool isCharStart(const std::uint8_t* from, const std::uint8_t* p) {
    const std::uint8_t* q = p;
    while (q > from && q[-1] >= 0x80) {
        --q;
    }
    return ((p - q) & 1) == 0;
}
} // namespace textwalk

} // namespace quorvell
