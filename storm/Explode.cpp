#include "storm/Explode.h"

#include <array>
#include <cstring>

namespace storm {

namespace {

// A Huffman code as it appears in the stream, decoded by looking up the next
// `width` stream bits (first bit read = lowest bit of the index).
template <unsigned width> struct DecodeTable {
    // Low byte: code length (0 = no code has these bits); high byte and up: symbol.
    std::array<std::uint16_t, 1u << width> entries{};
};

// Canonical codes from lengths: symbols sorted by (length, symbol); each code is the
// previous one plus one, shifted left whenever the length grows. The stream carries
// each code inverted, most significant bit first.
template <unsigned width, std::size_t symbols>
DecodeTable<width> buildTable(const std::array<std::uint8_t, symbols>& lengths) {
    DecodeTable<width> table;
    unsigned code = 0;
    unsigned codeLength = 0;
    bool first = true;
    for (unsigned len = 1; len <= width; ++len) {
        for (std::size_t sym = 0; sym < symbols; ++sym) {
            if (lengths[sym] != len) {
                continue;
            }
            if (first) {
                code = 0;
                first = false;
            } else {
                ++code;
            }
            code <<= (len - codeLength);
            codeLength = len;
            // The bits as read: bit k of the index is the inverted code bit (len-1-k).
            unsigned asRead = 0;
            for (unsigned k = 0; k < len; ++k) {
                const unsigned bit = ((code >> (len - 1 - k)) & 1u) ^ 1u;
                asRead |= bit << k;
            }
            const auto entry = static_cast<std::uint16_t>((sym << 4) | len);
            for (unsigned rest = 0; rest < (1u << (width - len)); ++rest) {
                table.entries[asRead | (rest << len)] = entry;
            }
        }
    }
    return table;
}

constexpr std::array<std::uint8_t, 16> lengthCodeLengths = {2, 3, 3, 3, 4, 4, 4, 5,
                                                            5, 5, 5, 6, 6, 6, 7, 7};
constexpr std::array<std::uint16_t, 16> lengthBase = {3,  2,  4,  5,  6,  7,  8,   9,
                                                      10, 12, 16, 24, 40, 72, 136, 264};
constexpr std::array<std::uint8_t, 16> lengthExtra = {0, 0, 0, 0, 0, 0, 0, 0,
                                                      1, 2, 3, 4, 5, 6, 7, 8};
constexpr unsigned endOfStreamLength = 519;

constexpr std::array<std::uint8_t, 64> distanceCodeLengths() {
    std::array<std::uint8_t, 64> lengths{};
    for (std::size_t sym = 0; sym < 64; ++sym) {
        lengths[sym] = sym == 0    ? 2
                       : sym <= 2  ? 4
                       : sym <= 6  ? 5
                       : sym <= 21 ? 6
                       : sym <= 47 ? 7
                                   : 8;
    }
    return lengths;
}

// Code lengths of the literals in ASCII mode, by byte value.
constexpr std::array<std::uint8_t, 256> asciiLiteralLengths() {
    constexpr std::uint8_t first128[128] = {
        11, 12, 12, 12, 12, 12, 12, 12, 12, 8,  7,  12, 12, 7,  12, 12, // 0x00
        12, 12, 12, 12, 12, 12, 12, 12, 12, 12, 13, 12, 12, 12, 12, 12, // 0x10
        4,  10, 8,  12, 10, 12, 10, 8,  7,  7,  8,  9,  7,  6,  7,  8,  // 0x20
        7,  6,  7,  7,  7,  7,  8,  7,  7,  8,  8,  12, 11, 7,  9,  11, // 0x30
        12, 6,  7,  6,  6,  5,  7,  8,  8,  6,  11, 9,  6,  7,  6,  6,  // 0x40
        7,  11, 6,  6,  6,  7,  9,  8,  9,  9,  11, 8,  11, 9,  12, 8,  // 0x50
        12, 5,  6,  6,  6,  5,  6,  6,  6,  5,  11, 7,  5,  6,  5,  5,  // 0x60
        6,  10, 5,  5,  5,  5,  8,  7,  8,  8,  10, 11, 11, 12, 12, 12, // 0x70
    };
    constexpr std::uint8_t last32[32] = {
        13, 12, 13, 13, 13, 12, 13, 13, 13, 12, 13, 13, 13, 13, 12, 13, // 0xE0
        13, 13, 12, 12, 12, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, 13, // 0xF0
    };
    std::array<std::uint8_t, 256> lengths{};
    for (std::size_t i = 0; i < 128; ++i) {
        lengths[i] = first128[i];
    }
    for (std::size_t i = 0x80; i < 0xB0; ++i) {
        lengths[i] = 13;
    }
    for (std::size_t i = 0xB0; i < 0xE0; ++i) {
        lengths[i] = 12;
    }
    for (std::size_t i = 0; i < 32; ++i) {
        lengths[0xE0 + i] = last32[i];
    }
    return lengths;
}

struct Tables {
    DecodeTable<7> length = buildTable<7>(lengthCodeLengths);
    DecodeTable<8> distance = buildTable<8>(distanceCodeLengths());
    DecodeTable<13> literal = buildTable<13>(asciiLiteralLengths());
};

const Tables& tables() {
    static const Tables built;
    return built;
}

// Least-significant-bit-first reader that never reads past the end of its input.
class BitReader {
  public:
    BitReader(const std::uint8_t* data, std::size_t size) : pos_(data), end_(data + size) {}

    void refill() {
        while (count_ <= 56 && pos_ != end_) {
            bits_ |= static_cast<std::uint64_t>(*pos_++) << count_;
            count_ += 8;
        }
    }
    // Bits available without reading more input.
    unsigned available() const { return count_; }
    // The next `n` bits (n < 32), zeros past the end of the input.
    unsigned peek(unsigned n) const {
        return static_cast<unsigned>(bits_ & ((std::uint64_t{1} << n) - 1));
    }
    void drop(unsigned n) {
        bits_ >>= n;
        count_ -= n;
    }
    // Reads `n` bits; false when the input runs out first.
    bool read(unsigned n, unsigned& value) {
        refill();
        if (count_ < n) {
            return false;
        }
        value = peek(n);
        drop(n);
        return true;
    }

  private:
    const std::uint8_t* pos_;
    const std::uint8_t* end_;
    std::uint64_t bits_ = 0;
    unsigned count_ = 0;
};

// Decodes one symbol; false when the input runs out inside the code or the bits
// match no code.
template <unsigned width>
bool decodeSymbol(BitReader& reader, const DecodeTable<width>& table, unsigned& symbol) {
    reader.refill();
    const std::uint16_t entry = table.entries[reader.peek(width)];
    const unsigned len = entry & 0xFu;
    if (len == 0 || len > reader.available()) {
        return false;
    }
    reader.drop(len);
    symbol = entry >> 4;
    return true;
}

} // namespace

DecompressResult explode(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                         std::size_t outSize) {
    if (inSize < 2) {
        return {DecompressStatus::corrupt, 0};
    }
    const unsigned literalMode = in[0];
    const unsigned distanceBits = in[1];
    if (literalMode > 1 || distanceBits < 4 || distanceBits > 6) {
        return {DecompressStatus::corrupt, 0};
    }
    const Tables& t = tables();
    BitReader reader(in + 2, inSize - 2);
    std::size_t written = 0;
    const auto corrupt = [&written] {
        return DecompressResult{DecompressStatus::corrupt, written};
    };

    while (written < outSize) {
        unsigned flag = 0;
        if (!reader.read(1, flag)) {
            return corrupt();
        }
        if (flag == 0) {
            unsigned literal = 0;
            if (literalMode == 0 ? !reader.read(8, literal)
                                 : !decodeSymbol(reader, t.literal, literal)) {
                return corrupt();
            }
            out[written++] = static_cast<std::uint8_t>(literal);
            continue;
        }
        unsigned lengthSymbol = 0;
        unsigned extra = 0;
        if (!decodeSymbol(reader, t.length, lengthSymbol) ||
            !reader.read(lengthExtra[lengthSymbol], extra)) {
            return corrupt();
        }
        const unsigned length = lengthBase[lengthSymbol] + extra;
        if (length == endOfStreamLength) {
            return {DecompressStatus::ok, written};
        }
        unsigned distanceSymbol = 0;
        unsigned low = 0;
        const unsigned lowBits = length == 2 ? 2 : distanceBits;
        if (!decodeSymbol(reader, t.distance, distanceSymbol) || !reader.read(lowBits, low)) {
            return corrupt();
        }
        const std::size_t distance = (std::size_t{distanceSymbol} << lowBits) + low + 1;
        if (distance > written) {
            return corrupt();
        }
        std::size_t count = length;
        if (count > outSize - written) {
            count = outSize - written;
        }
        const std::uint8_t* from = out + written - distance;
        std::uint8_t* to = out + written;
        if (distance >= count) {
            std::memcpy(to, from, count);
        } else {
            for (std::size_t i = 0; i < count; ++i) {
                to[i] = from[i]; // overlapping copy repeats the last `distance` bytes
            }
        }
        written += count;
    }
    return {DecompressStatus::ok, written};
}

} // namespace storm
