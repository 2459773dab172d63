// The native stand-in for the platform's code-page conversions. Its ANSI code page is
// 936 (GBK): the table from UTF-16 units to GBK bytes is built once, on first use, from
// the C library's converter. Malformed UTF-8 becomes U+FFFD per maximal ill-formed
// subsequence; a unit GBK lacks (U+FFFD and U+FEFF included) becomes "?", and so does
// each surrogate pair, since the code page has no characters outside the BMP.
//
// transcodeScript does both steps in one pass, without the intermediate buffer: its
// result is the same as utf16ToAnsi(utf8ToUtf16(script)), at about the cost of a copy
// for ASCII runs.
#include "map/ScriptTranscoder.h"

#include <iconv.h>

#include <array>
#include <cstring>
#include <memory>

namespace quorvell {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

struct CodePageTables {
    // GBK bytes of each UTF-16 unit: high byte first for two-byte characters, 0 when the
    // code page lacks the unit. Units below 0x80 are themselves.
    std::array<std::uint16_t, 0x10000> fromUnit{};
    // The unit of each two-byte GBK character (lead << 8 | trail), 0 when none.
    std::array<std::uint16_t, 0x10000> toUnit{};
    // The unit of each single byte of 0x80 or above, 0 when none.
    std::array<std::uint16_t, 0x100> singleToUnit{};
};

const CodePageTables& tables() {
    static const std::unique_ptr<CodePageTables> built = [] {
        auto t = std::make_unique<CodePageTables>();
        for (std::uint32_t u = 0; u < 0x80; ++u) {
            t->fromUnit[u] = static_cast<std::uint16_t>(u);
            t->singleToUnit[u] = static_cast<std::uint16_t>(u);
        }
        iconv_t cd = iconv_open("CP936", "UTF-16LE");
        if (cd == reinterpret_cast<iconv_t>(-1)) {
            return t; // no converter: only ASCII is known
        }
        for (std::uint32_t u = 0x80; u < 0x10000; ++u) {
            if (u >= 0xD800 && u < 0xE000) {
                continue;
            }
            char in[2] = {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
            char out[8] = {};
            char* inPtr = in;
            char* outPtr = out;
            std::size_t inLeft = 2;
            std::size_t outLeft = sizeof out;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
            if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
                continue;
            }
            const std::size_t n = sizeof out - outLeft;
            const auto b0 = static_cast<std::uint8_t>(out[0]);
            const auto b1 = static_cast<std::uint8_t>(out[1]);
            if (n == 1 && b0 >= 0x80) {
                t->fromUnit[u] = b0;
                t->singleToUnit[b0] = static_cast<std::uint16_t>(u);
            } else if (n == 2 && b0 >= 0x81) {
                const auto code = static_cast<std::uint16_t>(b0 << 8 | b1);
                t->fromUnit[u] = code;
                if (t->toUnit[code] == 0) {
                    t->toUnit[code] = static_cast<std::uint16_t>(u);
                }
            }
        }
        iconv_close(cd);
        return t;
    }();
    return *built;
}

bool isContinuation(std::uint8_t b, std::uint8_t low = 0x80, std::uint8_t high = 0xBF) {
    return b >= low && b <= high;
}

// Decodes the character at p (p < end), advancing p; U+FFFD for an ill-formed
// sequence, of which the longest prefix that could still have become a character is
// consumed (at least one byte).
char32_t decodeUtf8(const std::uint8_t*& p, const std::uint8_t* end) {
    const std::uint8_t b0 = *p++;
    if (b0 < 0x80) {
        return b0;
    }
    int more = 0;
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;
    char32_t c = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        more = 1;
        c = b0 & 0x1Fu;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        more = 2;
        c = b0 & 0x0Fu;
        low = b0 == 0xE0 ? 0xA0 : 0x80;
        high = b0 == 0xED ? 0x9F : 0xBF;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        more = 3;
        c = b0 & 0x07u;
        low = b0 == 0xF0 ? 0x90 : 0x80;
        high = b0 == 0xF4 ? 0x8F : 0xBF;
    } else {
        return kReplacement;
    }
    for (int i = 0; i < more; ++i) {
        if (p == end || !isContinuation(*p, i == 0 ? low : 0x80, i == 0 ? high : 0xBF)) {
            return kReplacement;
        }
        c = (c << 6) | (*p++ & 0x3Fu);
    }
    return c;
}

// Appends the code page's bytes for one character; returns the new end.
char* putAnsi(char* out, char32_t c, const CodePageTables& t) {
    const std::uint16_t code = c < 0x10000 ? t.fromUnit[c] : 0;
    if (code == 0 && c != 0) {
        *out++ = '?';
    } else if (code < 0x100) {
        *out++ = static_cast<char>(code);
    } else {
        *out++ = static_cast<char>(code >> 8);
        *out++ = static_cast<char>(code & 0xFF);
    }
    return out;
}

bool allAscii(const std::uint8_t* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return (word & 0x8080808080808080ull) == 0;
}

// The bytes before the first NUL.
std::size_t textLength(const ByteBuffer& buffer) {
    if (buffer.empty()) {
        return 0;
    }
    const void* nul = std::memchr(buffer.data(), 0, static_cast<std::size_t>(buffer.length()));
    return nul != nullptr
               ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(nul) - buffer.data())
               : static_cast<std::size_t>(buffer.length());
}

} // namespace

ByteBuffer ScriptTranscoder::utf8ToUtf16(const ByteBuffer& utf8) {
    const std::size_t length = textLength(utf8);
    if (length == 0) {
        return {};
    }
    const std::uint8_t* const begin = utf8.data();
    const std::uint8_t* const end = begin + length;
    // Size query: one unit per character, two for those beyond the BMP, plus the NUL.
    std::size_t units = 1;
    for (const std::uint8_t* p = begin; p < end;) {
        if (end - p >= 8 && allAscii(p)) {
            p += 8;
            units += 8;
            continue;
        }
        units += decodeUtf8(p, end) >= 0x10000 ? 2u : 1u;
    }
    // At most length + 1 units; the byte count fits in 32 bits while the text does.
    if (units * 2 > static_cast<std::size_t>(INT32_MAX)) {
        return {};
    }
    ByteBuffer wide = ByteBuffer::blank(static_cast<std::int32_t>(units * 2));
    std::uint8_t* out = wide.data();
    const auto putUnit = [&out](char32_t u) {
        *out++ = static_cast<std::uint8_t>(u & 0xFF);
        *out++ = static_cast<std::uint8_t>(u >> 8);
    };
    for (const std::uint8_t* p = begin; p < end;) {
        if (end - p >= 8 && allAscii(p)) {
            for (int i = 0; i < 8; ++i) {
                *out++ = *p++;
                *out++ = 0;
            }
            continue;
        }
        const char32_t c = decodeUtf8(p, end);
        if (c >= 0x10000) {
            putUnit(0xD800 + ((c - 0x10000) >> 10));
            putUnit(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            putUnit(c);
        }
    }
    return wide; // the terminating unit is already zero
}

Text ScriptTranscoder::utf16ToAnsi(const ByteBuffer& utf16) {
    const std::size_t units = static_cast<std::size_t>(utf16.length()) / 2;
    if (units == 0) {
        return {};
    }
    const CodePageTables& t = tables();
    // Each unit gives at most two bytes: the same bound as the output area of the
    // platform's conversion. The walk stops at the first NUL unit or the buffer's end.
    std::string out(units * 2, '\0');
    char* o = out.data();
    const std::uint8_t* p = utf16.data();
    for (std::size_t i = 0; i < units; ++i) {
        const auto u = static_cast<char32_t>(p[2 * i] | p[2 * i + 1] << 8);
        if (u == 0) {
            break;
        }
        if (u >= 0xD800 && u < 0xDC00 && i + 1 < units) {
            const auto next = static_cast<char32_t>(p[2 * i + 2] | p[2 * i + 3] << 8);
            if (next >= 0xDC00 && next < 0xE000) {
                ++i; // a pair: one character the code page lacks
            }
        }
        o = putAnsi(o, u, t);
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
    return Text(std::move(out));
}

Text ScriptTranscoder::transcodeScript(const ByteBuffer& script) {
    const std::size_t length = textLength(script);
    if (length == 0) {
        return {};
    }
    const CodePageTables& t = tables();
    // No character gives more bytes in GBK than in UTF-8 (a replaced sequence gives one
    // "?" for at least one byte), so the script's length bounds the result.
    std::string out(length, '\0');
    char* o = out.data();
    const std::uint8_t* p = script.data();
    const std::uint8_t* const end = p + length;
    while (p < end) {
        if (end - p >= 8 && allAscii(p)) {
            std::memcpy(o, p, 8);
            p += 8;
            o += 8;
            continue;
        }
        o = putAnsi(o, decodeUtf8(p, end), t);
    }
    out.resize(static_cast<std::size_t>(o - out.data()));
    return Text(std::move(out));
}

std::string ansiToUtf8(std::string_view ansi) {
    const CodePageTables& t = tables();
    std::string out;
    out.reserve(ansi.size() * 3 / 2 + 1);
    const auto putUtf8 = [&out](char32_t c) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    };
    for (std::size_t i = 0; i < ansi.size(); ++i) {
        const auto b = static_cast<std::uint8_t>(ansi[i]);
        if (b < 0x80) {
            out += static_cast<char>(b);
        } else if (t.singleToUnit[b] != 0) {
            putUtf8(t.singleToUnit[b]);
        } else if (i + 1 < ansi.size()) {
            const auto code =
                static_cast<std::uint16_t>(b << 8 | static_cast<std::uint8_t>(ansi[i + 1]));
            const std::uint16_t u = t.toUnit[code];
            putUtf8(u != 0 ? u : kReplacement);
            ++i;
        } else {
            putUtf8(kReplacement);
        }
    }
    return out;
}

} // namespace quorvell
