#include "storm/Bzip2Decoder.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace storm {

namespace {

constexpr std::uint64_t blockMagic = 0x314159265359;
constexpr std::uint64_t endMagic = 0x177245385090;
constexpr unsigned maxGroups = 6;
constexpr unsigned minGroups = 2;
constexpr unsigned maxAlphabet = 258;
constexpr unsigned maxCodeLength = 20;
constexpr unsigned symbolsPerGroup = 50;
// The most selectors a 900k block can need; more are read and ignored.
constexpr unsigned maxSelectors = 2 + 900000 / symbolsPerGroup;
// Longest code looked up in one step; longer ones are found by length.
constexpr unsigned fastBits = 10;

// The block checksum: CRC-32 with polynomial 0x04C11DB7, most significant bit first.
constexpr std::array<std::uint32_t, 256> makeCrcTable() {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i << 24;
        for (int k = 0; k < 8; ++k) {
            c = (c & 0x80000000u) != 0 ? (c << 1) ^ 0x04C11DB7u : c << 1;
        }
        table[i] = c;
    }
    return table;
}
constexpr std::array<std::uint32_t, 256> crcTable = makeCrcTable();

// Most-significant-bit-first reader that never reads past the end of its input.
class BitReader {
  public:
    BitReader(const std::uint8_t* data, std::size_t size) : pos_(data), end_(data + size) {}

    void refill() {
        while (count_ <= 56 && pos_ != end_) {
            bits_ = (bits_ << 8) | *pos_++;
            count_ += 8;
        }
    }
    unsigned available() const { return count_; }
    // The next `n` bits (1..32), zeros past the end of the input.
    std::uint32_t peek(unsigned n) const {
        const std::uint64_t mask = (std::uint64_t{1} << n) - 1;
        if (count_ >= n) {
            return static_cast<std::uint32_t>((bits_ >> (count_ - n)) & mask);
        }
        return static_cast<std::uint32_t>((bits_ << (n - count_)) & mask);
    }
    void drop(unsigned n) { count_ -= n; }
    // Reads `n` bits (1..32); false when the input runs out first.
    bool read(unsigned n, std::uint32_t& value) {
        refill();
        if (count_ < n) {
            return false;
        }
        value = peek(n);
        drop(n);
        return true;
    }
    bool read48(std::uint64_t& value) {
        std::uint32_t high = 0;
        std::uint32_t low = 0;
        if (!read(24, high) || !read(24, low)) {
            return false;
        }
        value = (std::uint64_t{high} << 24) | low;
        return true;
    }

  private:
    const std::uint8_t* pos_;
    const std::uint8_t* end_;
    std::uint64_t bits_ = 0;
    unsigned count_ = 0;
};

// One Huffman table of a block: canonical codes from lengths 1..20, most
// significant bit first; codes of lengths in the same order as the symbols.
class HuffmanTable {
  public:
    // False for a set of lengths that over-subscribes the code space.
    bool build(const std::uint8_t* lengths, unsigned alphabet) {
        std::array<unsigned, maxCodeLength + 2> count{};
        for (unsigned s = 0; s < alphabet; ++s) {
            ++count[lengths[s]];
        }
        unsigned code = 0;
        unsigned index = 0;
        std::array<unsigned, maxCodeLength + 2> nextIndex{};
        for (unsigned len = 1; len <= maxCodeLength; ++len) {
            firstCode_[len] = code;
            firstIndex_[len] = index;
            count_[len] = count[len];
            nextIndex[len] = index;
            if (code + count[len] > (1u << len)) {
                return false;
            }
            code = (code + count[len]) << 1;
            index += count[len];
        }
        for (unsigned s = 0; s < alphabet; ++s) {
            perm_[nextIndex[lengths[s]]++] = static_cast<std::uint16_t>(s);
        }
        fast_.fill(0);
        for (unsigned len = 1; len <= fastBits; ++len) {
            for (unsigned i = 0; i < count_[len]; ++i) {
                const unsigned c = firstCode_[len] + i;
                const auto entry =
                    static_cast<std::uint16_t>((unsigned{perm_[firstIndex_[len] + i]} << 5) | len);
                const unsigned from = c << (fastBits - len);
                const unsigned to = (c + 1) << (fastBits - len);
                for (unsigned e = from; e < to; ++e) {
                    fast_[e] = entry;
                }
            }
        }
        return true;
    }

    // False when the input runs out inside the code or the bits match no code.
    bool decode(BitReader& reader, unsigned& symbol) const {
        reader.refill();
        const std::uint16_t entry = fast_[reader.peek(fastBits)];
        if (entry != 0) {
            const unsigned len = entry & 0x1Fu;
            if (len > reader.available()) {
                return false;
            }
            reader.drop(len);
            symbol = entry >> 5;
            return true;
        }
        const std::uint32_t bits = reader.peek(maxCodeLength);
        for (unsigned len = fastBits + 1; len <= maxCodeLength; ++len) {
            const unsigned code = bits >> (maxCodeLength - len);
            if (code - firstCode_[len] < count_[len]) {
                if (len > reader.available()) {
                    return false;
                }
                reader.drop(len);
                symbol = perm_[firstIndex_[len] + code - firstCode_[len]];
                return true;
            }
        }
        return false;
    }

  private:
    std::array<unsigned, maxCodeLength + 1> firstCode_{};
    std::array<unsigned, maxCodeLength + 1> firstIndex_{};
    std::array<unsigned, maxCodeLength + 1> count_{};
    std::array<std::uint16_t, maxAlphabet> perm_{};
    // Symbol << 5 | length; 0 where no code of up to fastBits bits matches.
    std::array<std::uint16_t, 1u << fastBits> fast_{};
};

enum class Step { more, done, stop };

class Decoder {
  public:
    Decoder(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out, std::size_t outSize)
        : reader_(in, inSize), out_(out), outSize_(outSize) {}

    DecompressResult run() {
        std::uint32_t b = 0;
        std::uint32_t z = 0;
        std::uint32_t h = 0;
        std::uint32_t level = 0;
        if (!reader_.read(8, b) || !reader_.read(8, z) || !reader_.read(8, h) ||
            !reader_.read(8, level) || b != 'B' || z != 'Z' || h != 'h' || level < '1' ||
            level > '9') {
            return corrupt();
        }
        maxBlock_ = (level - '0') * std::size_t{100000};
        std::uint32_t streamCrc = 0;
        while (written_ < outSize_) {
            std::uint64_t magic = 0;
            std::uint32_t storedCrc = 0;
            if (!reader_.read48(magic) || !reader_.read(32, storedCrc)) {
                return corrupt();
            }
            if (magic == endMagic) {
                if (storedCrc != streamCrc) {
                    return corrupt();
                }
                return {DecompressStatus::ok, written_};
            }
            if (magic != blockMagic) {
                return corrupt();
            }
            const DecompressStatus status = readBlock();
            if (status != DecompressStatus::ok) {
                return {status, written_};
            }
            std::uint32_t blockCrc = 0;
            if (!emitBlock(blockCrc)) {
                break; // the output is full
            }
            if (blockCrc != storedCrc) {
                return corrupt();
            }
            streamCrc = ((streamCrc << 1) | (streamCrc >> 31)) ^ blockCrc;
        }
        return {DecompressStatus::ok, written_};
    }

  private:
    DecompressResult corrupt() const { return {DecompressStatus::corrupt, written_}; }

    // Reads one block up to its move-to-front output in `tt_` (low byte of each word)
    // and `origin_`.
    DecompressStatus readBlock() {
        std::uint32_t randomised = 0;
        std::uint32_t origin = 0;
        if (!reader_.read(1, randomised) || !reader_.read(24, origin)) {
            return DecompressStatus::corrupt;
        }
        if (randomised != 0) {
            return DecompressStatus::unsupported;
        }
        origin_ = origin;

        // The bytes in use, as 16 groups of 16.
        std::array<std::uint8_t, 256> seqToByte{};
        unsigned inUse = 0;
        std::uint32_t groupsUsed = 0;
        if (!reader_.read(16, groupsUsed)) {
            return DecompressStatus::corrupt;
        }
        for (unsigned g = 0; g < 16; ++g) {
            if ((groupsUsed & (0x8000u >> g)) == 0) {
                continue;
            }
            std::uint32_t used = 0;
            if (!reader_.read(16, used)) {
                return DecompressStatus::corrupt;
            }
            for (unsigned k = 0; k < 16; ++k) {
                if ((used & (0x8000u >> k)) != 0) {
                    seqToByte[inUse++] = static_cast<std::uint8_t>(g * 16 + k);
                }
            }
        }
        if (inUse == 0) {
            return DecompressStatus::corrupt;
        }
        const unsigned alphabet = inUse + 2;

        std::uint32_t groups = 0;
        std::uint32_t selectorCount = 0;
        if (!reader_.read(3, groups) || groups < minGroups || groups > maxGroups ||
            !reader_.read(15, selectorCount) || selectorCount == 0) {
            return DecompressStatus::corrupt;
        }
        // Selectors, move-to-front coded as unary numbers.
        std::array<std::uint8_t, maxGroups> groupOrder{};
        for (unsigned g = 0; g < maxGroups; ++g) {
            groupOrder[g] = static_cast<std::uint8_t>(g);
        }
        const unsigned kept = std::min<unsigned>(selectorCount, maxSelectors);
        selectors_.resize(kept);
        for (unsigned i = 0; i < selectorCount; ++i) {
            unsigned j = 0;
            for (;;) {
                std::uint32_t bit = 0;
                if (!reader_.read(1, bit)) {
                    return DecompressStatus::corrupt;
                }
                if (bit == 0) {
                    break;
                }
                if (++j >= groups) {
                    return DecompressStatus::corrupt;
                }
            }
            const std::uint8_t group = groupOrder[j];
            std::memmove(&groupOrder[1], &groupOrder[0], j);
            groupOrder[0] = group;
            if (i < kept) {
                selectors_[i] = group;
            }
        }
        // Code lengths, delta coded from a 5-bit start.
        for (unsigned t = 0; t < groups; ++t) {
            std::array<std::uint8_t, maxAlphabet> lengths{};
            std::uint32_t current = 0;
            if (!reader_.read(5, current)) {
                return DecompressStatus::corrupt;
            }
            for (unsigned s = 0; s < alphabet; ++s) {
                for (;;) {
                    if (current < 1 || current > maxCodeLength) {
                        return DecompressStatus::corrupt;
                    }
                    std::uint32_t bit = 0;
                    if (!reader_.read(1, bit)) {
                        return DecompressStatus::corrupt;
                    }
                    if (bit == 0) {
                        break;
                    }
                    if (!reader_.read(1, bit)) {
                        return DecompressStatus::corrupt;
                    }
                    current = bit == 0 ? current + 1 : current - 1;
                }
                lengths[s] = static_cast<std::uint8_t>(current);
            }
            if (!tables_[t].build(lengths.data(), alphabet)) {
                return DecompressStatus::corrupt;
            }
        }

        // The symbols: RUNA/RUNB zero runs, move-to-front indices, end of block.
        const unsigned endOfBlock = inUse + 1;
        std::array<std::uint8_t, 256> mtf{};
        for (unsigned i = 0; i < 256; ++i) {
            mtf[i] = static_cast<std::uint8_t>(i);
        }
        counts_.fill(0);
        tt_.clear();
        std::size_t run = 0;
        std::size_t runWeight = 1;
        unsigned groupIndex = 0;
        unsigned leftInGroup = 0;
        const HuffmanTable* table = nullptr;
        for (;;) {
            if (leftInGroup == 0) {
                if (groupIndex >= selectors_.size()) {
                    return DecompressStatus::corrupt;
                }
                table = &tables_[selectors_[groupIndex++]];
                leftInGroup = symbolsPerGroup;
            }
            --leftInGroup;
            unsigned symbol = 0;
            if (!table->decode(reader_, symbol)) {
                return DecompressStatus::corrupt;
            }
            if (symbol <= 1) { // RUNA adds 1 x weight, RUNB 2 x weight
                run += runWeight << symbol;
                runWeight <<= 1;
                if (run > maxBlock_) {
                    return DecompressStatus::corrupt;
                }
                continue;
            }
            if (run != 0) {
                if (!appendRun(seqToByte[mtf[0]], run)) {
                    return DecompressStatus::corrupt;
                }
                run = 0;
                runWeight = 1;
            }
            if (symbol == endOfBlock) {
                break;
            }
            const unsigned index = symbol - 1;
            const std::uint8_t seq = mtf[index];
            std::memmove(&mtf[1], &mtf[0], index);
            mtf[0] = seq;
            if (!appendRun(seqToByte[seq], 1)) {
                return DecompressStatus::corrupt;
            }
        }
        if (origin_ >= tt_.size()) {
            return DecompressStatus::corrupt;
        }
        return DecompressStatus::ok;
    }

    bool appendRun(std::uint8_t byte, std::size_t count) {
        if (count > maxBlock_ - tt_.size()) {
            return false;
        }
        tt_.insert(tt_.end(), count, byte);
        counts_[byte] += count;
        return true;
    }

    // Inverse Burrows-Wheeler transform and run expansion into the output. False when
    // the output filled up before the block's end; `crc` is the block's checksum.
    bool emitBlock(std::uint32_t& crc) {
        std::array<std::size_t, 256> next{};
        std::size_t sum = 0;
        for (unsigned c = 0; c < 256; ++c) {
            next[c] = sum;
            sum += counts_[c];
        }
        const std::size_t n = tt_.size();
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint8_t c = static_cast<std::uint8_t>(tt_[i] & 0xFFu);
            tt_[next[c]++] |= static_cast<std::uint32_t>(i) << 8;
        }
        std::uint32_t c32 = 0xFFFFFFFFu;
        std::uint32_t pos = tt_[origin_] >> 8;
        int last = -1;
        unsigned same = 0;
        for (std::size_t i = 0; i < n; ++i) {
            pos = tt_[pos];
            const auto byte = static_cast<std::uint8_t>(pos & 0xFFu);
            pos >>= 8;
            if (same == 4) {
                // A count of further copies of the run's byte follows four equal bytes.
                for (unsigned k = 0; k < byte; ++k) {
                    if (written_ == outSize_) {
                        return false;
                    }
                    out_[written_++] = static_cast<std::uint8_t>(last);
                    c32 = (c32 << 8) ^ crcTable[(c32 >> 24) ^ static_cast<std::uint32_t>(last)];
                }
                same = 0;
                last = -1;
                continue;
            }
            if (written_ == outSize_) {
                return false;
            }
            out_[written_++] = byte;
            c32 = (c32 << 8) ^ crcTable[(c32 >> 24) ^ byte];
            if (byte == last) {
                ++same;
            } else {
                last = byte;
                same = 1;
            }
        }
        crc = ~c32;
        return true;
    }

    BitReader reader_;
    std::uint8_t* out_;
    std::size_t outSize_;
    std::size_t written_ = 0;
    std::size_t maxBlock_ = 0;
    std::uint32_t origin_ = 0;
    std::vector<std::uint8_t> selectors_;
    std::array<HuffmanTable, maxGroups> tables_;
    std::array<std::size_t, 256> counts_{};
    // Per position: the block's byte in the low 8 bits, the inverse transform's link
    // above them (a block holds at most 900000 < 2^24 bytes).
    std::vector<std::uint32_t> tt_;
};

} // namespace

DecompressResult decodeBzip2(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                             std::size_t outSize) {
    if (outSize == 0) {
        return {DecompressStatus::ok, 0};
    }
    Decoder decoder(in, inSize, out, outSize);
    return decoder.run();
}

} // namespace storm
