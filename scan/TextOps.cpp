#include "scan/TextOps.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace quorvell {

namespace {

using textwalk::charLength;

// Position (0-based) of the first match at a character start at or after `from`, which
// must itself be a character start; npos when none.
std::size_t findFrom(std::string_view text, std::string_view pattern, std::size_t from) {
    const auto* base = reinterpret_cast<const std::uint8_t*>(text.data());
    const auto* end = base + text.size();
    const std::size_t n = pattern.size();
    for (const std::uint8_t* p = base + from; p < end && static_cast<std::size_t>(end - p) >= n;
         p += charLength(p, end)) {
        if (std::memcmp(p, pattern.data(), n) == 0) {
            return static_cast<std::size_t>(p - base);
        }
        if (*p >= 0x80 && p + 1 == end) {
            break;
        }
    }
    return std::string_view::npos;
}

} // namespace

std::int32_t textLength(const Text& text) { return text.length(); }

Text textLeft(const Text& text, std::int32_t count) {
    if (count <= 0) {
        return {};
    }
    if (count >= text.length()) {
        return text;
    }
    return Text(text.view().substr(0, static_cast<std::size_t>(count)));
}

Text textMid(const Text& text, std::int32_t start, std::int32_t count) {
    if (start < 1 || start > text.length() || count <= 0) {
        return {};
    }
    return Text(text.view().substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(count)));
}

std::int32_t findText(const Text& text, const Text& pattern, std::int32_t start) {
    if (start < 1) {
        start = 1;
    }
    if (start > text.length() || pattern.empty()) {
        return -1;
    }
    const auto at = findFrom(text.view(), pattern.view(), static_cast<std::size_t>(start - 1));
    return at == std::string_view::npos ? -1 : static_cast<std::int32_t>(at + 1);
}

std::int32_t findTextReverse(const Text& text, const Text& pattern) {
    if (pattern.empty()) {
        return -1;
    }
    std::int32_t last = -1;
    std::size_t from = 0;
    const auto* base = text.data();
    const auto* end = base + text.length();
    for (;;) {
        const auto at = findFrom(text.view(), pattern.view(), from);
        if (at == std::string_view::npos) {
            return last;
        }
        last = static_cast<std::int32_t>(at + 1);
        from = at + charLength(base + at, end); // step one character: overlaps count
    }
}

Text replaceText(const Text& text, const Text& pattern, const Text& replacement) {
    if (text.empty() || pattern.empty()) {
        return text;
    }
    const auto* base = text.data();
    const auto* end = base + text.length();
    const std::size_t n = static_cast<std::size_t>(pattern.length());
    std::string out;
    out.reserve(text.bytes().size());
    const std::uint8_t* p = base;
    while (static_cast<std::size_t>(end - p) >= n) {
        if (std::memcmp(p, pattern.c_str(), n) == 0) {
            out.append(replacement.view());
            p += n;
        } else {
            const std::size_t len = charLength(p, end);
            out.append(reinterpret_cast<const char*>(p), len);
            p += len;
        }
    }
    out.append(reinterpret_cast<const char*>(p), static_cast<std::size_t>(end - p));
    return Text(std::move(out));
}

TextList splitText(const Text& text, const Text& delimiter) {
    TextList list;
    if (text.empty() || delimiter.empty()) {
        if (!text.empty()) {
            list.append(text);
        }
        return list;
    }
    const std::string_view view = text.view();
    std::size_t memberStart = 0;
    std::size_t from = 0;
    for (;;) {
        const auto at = findFrom(view, delimiter.view(), from);
        if (at == std::string_view::npos) {
            break;
        }
        list.append(Text(view.substr(memberStart, at - memberStart)));
        memberStart = from = at + delimiter.view().size();
    }
    if (memberStart < view.size()) {
        list.append(Text(view.substr(memberStart)));
    }
    return list;
}

Text trimStart(const Text& text) {
    const std::string_view view = text.view();
    std::size_t i = 0;
    for (;;) {
        if (i < view.size() && view[i] == ' ') {
            ++i;
        } else if (i + 1 < view.size() && static_cast<std::uint8_t>(view[i]) == 0xA1 &&
                   static_cast<std::uint8_t>(view[i + 1]) == 0xA1) {
            i += 2;
        } else {
            break;
        }
    }
    return i == 0 ? text : Text(view.substr(i));
}

std::int32_t toInteger(const Text& text) {
    // Characters are read through the full-width folding (A3 A1..A3 FE -> A1..FE minus 0x80,
    // A1 A1 -> space); the number is then read from the folded bytes.
    const auto* p = text.data();
    const auto* end = p + text.length();
    // Returns the next folded byte; a pair that does not fold yields its two bytes in turn.
    int pendingTrail = -1;
    auto next = [&]() -> int {
        if (pendingTrail >= 0) {
            const int b = pendingTrail;
            pendingTrail = -1;
            return b;
        }
        if (p >= end) {
            return -1;
        }
        const std::uint8_t b = *p;
        if (b >= 0x80 && p + 1 < end) {
            const std::uint8_t t = p[1];
            p += 2;
            if (b == 0xA3 && t >= 0xA1 && t <= 0xFE) {
                return t - 0x80;
            }
            if (b == 0xA1 && t == 0xA1) {
                return ' ';
            }
            pendingTrail = t;
            return b;
        }
        ++p;
        return b;
    };
    int c = next();
    while (c == ' ' || (c >= 0x09 && c <= 0x0D)) {
        c = next();
    }
    bool negative = false;
    if (c == '+' || c == '-') {
        negative = c == '-';
        c = next();
    }
    std::uint32_t value = 0;
    while (c >= '0' && c <= '9') {
        value = value * 10u + static_cast<std::uint32_t>(c - '0');
        c = next();
    }
    if (negative) {
        value = 0u - value;
    }
    return static_cast<std::int32_t>(value);
}

Text numberToText(double value) {
    // Whole numbers below 10^13 in magnitude are written by "%.13g" as plain integers.
    if (value == std::trunc(value) && std::fabs(value) < 1e13) {
        char digits[24];
        const auto result = std::to_chars(digits, digits + sizeof digits, static_cast<std::int64_t>(value));
        return Text(std::string_view(digits, static_cast<std::size_t>(result.ptr - digits)));
    }
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.13g", value);
    return Text(buffer);
}

Text concatText(std::initializer_list<const Text*> texts) {
    std::string out;
    std::size_t total = 0;
    for (const Text* t : texts) {
        total += t->bytes().size();
    }
    out.reserve(total);
    for (const Text* t : texts) {
        out.append(t->view());
    }
    return Text(std::move(out));
}

int compareText(const Text& a, const Text& b) {
    // Both c_str()s end with their NUL, which takes part in the comparison.
    const int r = std::strcmp(a.c_str(), b.c_str());
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

void removeFirstMember(TextList& list) { list.removeFirst(); }

} // namespace quorvell
