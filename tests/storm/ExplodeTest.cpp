#include "storm/Explode.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using storm::DecompressStatus;

// The published example stream: ASCII mode, 4 KiB window.
const Bytes example = {0x00, 0x04, 0x82, 0x24, 0x25, 0x8F, 0x80, 0x7F};
const std::string exampleText = "AIAIAIAIAIAIA";

TEST(Explode, DecodesThePublishedExample) {
    std::vector<std::uint8_t> out(64, 0);
    const auto result = storm::explode(example.data(), example.size(), out.data(), out.size());
    ASSERT_EQ(result.status, DecompressStatus::ok);
    EXPECT_EQ(std::string(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(result.written)),
              exampleText);
}

// Streams written bit by bit (least significant bit first) for the cases below.
class BitWriter {
  public:
    BitWriter(std::uint8_t mode, std::uint8_t distanceBits) : bytes_{mode, distanceBits} {}
    BitWriter& bits(unsigned value, unsigned count) {
        for (unsigned i = 0; i < count; ++i) {
            if (used_ % 8 == 0) {
                bytes_.push_back(0);
            }
            bytes_.back() =
                static_cast<std::uint8_t>(bytes_.back() | (((value >> i) & 1u) << (used_ % 8)));
            ++used_;
        }
        return *this;
    }
    // Bits in the order they are read, as a string of '0' and '1'.
    BitWriter& code(const std::string& asRead) {
        for (char c : asRead) {
            bits(c == '1' ? 1u : 0u, 1);
        }
        return *this;
    }
    BitWriter& literal(std::uint8_t value) { return bits(0, 1).bits(value, 8); }
    // The end marker: length symbol 15 (0000000) with all eight extra bits set.
    BitWriter& end() { return bits(1, 1).code("0000000").bits(0xFF, 8); }
    Bytes bytes() const { return bytes_; }

  private:
    Bytes bytes_;
    unsigned used_ = 0;
};

struct Row {
    const char* name;
    Bytes input;
    std::size_t outSize;
    DecompressStatus status;
    std::string output; // expected bytes when ok
};

std::vector<Row> rows() {
    // "ab", then a copy of length 3 (length symbol 0 = "11") from distance 2: for a
    // length other than 2 the low distance bits number D (4 here), distance symbol 0
    // is "11", low bits 1 -> distance (0 << 4) + 1 + 1 = 2.
    const Bytes abCopy = BitWriter(0, 4)
                             .literal('a')
                             .literal('b')
                             .bits(1, 1)
                             .code("11")
                             .code("11")
                             .bits(1, 4)
                             .end()
                             .bytes();
    // Length 2 (symbol 1 = "101") uses two low distance bits whatever D is.
    const Bytes lengthTwo = BitWriter(0, 6)
                                .literal('x')
                                .literal('y')
                                .literal('z')
                                .bits(1, 1)
                                .code("101")
                                .code("11")
                                .bits(2, 2)
                                .end()
                                .bytes();
    return {
        {"literal then end", BitWriter(0, 4).literal('Q').end().bytes(), 10, DecompressStatus::ok,
         "Q"},
        {"empty stream", BitWriter(0, 5).end().bytes(), 10, DecompressStatus::ok, ""},
        {"overlapping copy", abCopy, 10, DecompressStatus::ok, "ababa"},
        {"length two uses two low bits", lengthTwo, 10, DecompressStatus::ok, "xyzxy"},
        {"output cut at outSize", abCopy, 4, DecompressStatus::ok, "abab"},
        {"output of zero bytes", abCopy, 0, DecompressStatus::ok, ""},
        {"example cut at outSize", example, 5, DecompressStatus::ok, "AIAIA"},
        {"no input", {}, 10, DecompressStatus::corrupt, ""},
        {"header only half", {0x00}, 10, DecompressStatus::corrupt, ""},
        {"header without tokens", {0x00, 0x04}, 10, DecompressStatus::corrupt, ""},
        {"literal mode 2", {0x02, 0x04, 0x00, 0x00}, 10, DecompressStatus::corrupt, ""},
        {"literal mode 0xFF", {0xFF, 0x04, 0x00, 0x00}, 10, DecompressStatus::corrupt, ""},
        {"distance bits 3", {0x00, 0x03, 0x00, 0x00}, 10, DecompressStatus::corrupt, ""},
        {"distance bits 7", {0x00, 0x07, 0x00, 0x00}, 10, DecompressStatus::corrupt, ""},
        {"distance bits 0", {0x01, 0x00, 0x00, 0x00}, 10, DecompressStatus::corrupt, ""},
        {"copy before the first byte",
         BitWriter(0, 4).bits(1, 1).code("11").code("11").bits(0, 4).end().bytes(), 10,
         DecompressStatus::corrupt, ""},
        {"distance one past the output",
         BitWriter(0, 4).literal('a').bits(1, 1).code("11").code("11").bits(1, 4).end().bytes(), 10,
         DecompressStatus::corrupt, ""},
        {"far distance symbol",
         BitWriter(0, 6)
             .literal('a')
             .bits(1, 1)
             .code("11")
             .code("00000000")
             .bits(0x3F, 6)
             .end()
             .bytes(),
         10, DecompressStatus::corrupt, ""},
        {"no end marker", BitWriter(0, 4).literal('a').literal('b').bytes(), 10,
         DecompressStatus::corrupt, ""},
        {"cut inside a literal", Bytes{0x00, 0x04, 0x00}, 10, DecompressStatus::corrupt, ""},
        {"cut inside the end marker's extra bits",
         BitWriter(0, 4).literal('a').bits(1, 1).code("0000000").bits(0x7, 3).bytes(), 10,
         DecompressStatus::corrupt, ""},
    };
}

TEST(Explode, HandMadeAndHostileStreams) {
    for (const Row& row : rows()) {
        SCOPED_TRACE(row.name);
        // Exactly sized copies: ASan reports any read past the input.
        const Bytes input = row.input;
        Bytes out(row.outSize + 8, 0xA5);
        const auto result = storm::explode(input.data(), input.size(), out.data(), row.outSize);
        EXPECT_EQ(result.status, row.status);
        EXPECT_LE(result.written, row.outSize);
        if (row.status == DecompressStatus::ok) {
            EXPECT_EQ(
                std::string(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(result.written)),
                row.output);
        }
        for (std::size_t i = row.outSize; i < out.size(); ++i) {
            ASSERT_EQ(out[i], 0xA5) << "write past outSize";
        }
    }
}

// ASCII mode: space reads as 1111, 'e' as 11011, 0x00 as 00001001001.
TEST(Explode, AsciiLiteralCodes) {
    const Bytes stream = BitWriter(1, 4)
                             .bits(0, 1)
                             .code("1111")
                             .bits(0, 1)
                             .code("11011")
                             .bits(0, 1)
                             .code("00001001001")
                             .end()
                             .bytes();
    Bytes out(8);
    const auto result = storm::explode(stream.data(), stream.size(), out.data(), out.size());
    ASSERT_EQ(result.status, DecompressStatus::ok);
    EXPECT_EQ(std::string(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(result.written)),
              std::string(" e\0", 3));
}

} // namespace
