#include "storm/Bzip2Decoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using storm::DecompressStatus;

// Most-significant-bit-first writer.
class BitWriter {
  public:
    void bits(std::uint64_t value, unsigned count) {
        for (unsigned i = count; i-- > 0;) {
            if (used_ % 8 == 0) {
                bytes_.push_back(0);
            }
            if (((value >> i) & 1u) != 0) {
                bytes_.back() = static_cast<std::uint8_t>(bytes_.back() | (0x80u >> (used_ % 8)));
            }
            ++used_;
        }
    }
    const Bytes& bytes() const { return bytes_; }

  private:
    Bytes bytes_;
    unsigned used_ = 0;
};

std::uint32_t bzip2Crc(const std::string& data) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (char c : data) {
        crc ^= std::uint32_t{static_cast<unsigned char>(c)} << 24;
        for (int k = 0; k < 8; ++k) {
            crc = (crc & 0x80000000u) != 0 ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
        }
    }
    return ~crc;
}

// One stream of one block, written field by field; the defaults encode "a": the byte
// 'a' in use, two tables with lengths {1,2,2} for RUNA, RUNB and end of block, one
// selector, and the symbols RUNA (one 'a') and end of block.
struct Stream {
    std::string magic = "BZh";
    char level = '1';
    std::uint64_t blockMagic = 0x314159265359;
    unsigned randomised = 0;
    std::uint32_t origin = 0;
    std::vector<std::uint8_t> used = {'a'};
    unsigned groups = 2;
    std::vector<unsigned> selectors = {0}; // move-to-front values
    std::optional<unsigned> selectorCount;
    std::vector<std::vector<unsigned>> lengths = {{1, 2, 2}, {1, 2, 2}};
    std::vector<unsigned> symbols = {0, 2};
    std::string plain = "a";
    std::optional<std::uint32_t> blockCrc;
    std::optional<std::uint32_t> streamCrc;
    bool endOfStream = true;

    Bytes bytes() const {
        BitWriter w;
        for (char c : magic) {
            w.bits(static_cast<unsigned char>(c), 8);
        }
        w.bits(static_cast<unsigned char>(level), 8);
        w.bits(blockMagic, 48);
        const std::uint32_t crc = blockCrc.value_or(bzip2Crc(plain));
        w.bits(crc, 32);
        w.bits(randomised, 1);
        w.bits(origin, 24);
        bool group[16] = {};
        bool byte[256] = {};
        for (std::uint8_t b : used) {
            group[b / 16] = true;
            byte[b] = true;
        }
        for (bool g : group) {
            w.bits(g ? 1u : 0u, 1);
        }
        for (unsigned g = 0; g < 16; ++g) {
            if (group[g]) {
                for (unsigned k = 0; k < 16; ++k) {
                    w.bits(byte[g * 16 + k] ? 1u : 0u, 1);
                }
            }
        }
        w.bits(groups, 3);
        w.bits(selectorCount.value_or(static_cast<unsigned>(selectors.size())), 15);
        for (unsigned s : selectors) {
            for (unsigned i = 0; i < s; ++i) {
                w.bits(1, 1);
            }
            w.bits(0, 1);
        }
        for (const auto& table : lengths) {
            unsigned current = table.empty() ? 1 : table[0];
            w.bits(current, 5);
            for (unsigned len : table) {
                for (; current < len; ++current) {
                    w.bits(0b10, 2);
                }
                for (; current > len; --current) {
                    w.bits(0b11, 2);
                }
                w.bits(0, 1);
            }
        }
        // Symbols with the codes of the first table (every case here uses it).
        const std::vector<unsigned>& len = lengths[0];
        for (unsigned sym : symbols) {
            unsigned code = 0;
            for (unsigned l = 1; l <= 20; ++l) {
                for (unsigned s = 0; s < len.size(); ++s) {
                    if (len[s] != l) {
                        continue;
                    }
                    if (s == sym) {
                        w.bits(code, l);
                    }
                    ++code;
                }
                code <<= 1;
            }
        }
        if (endOfStream) {
            w.bits(0x177245385090, 48);
            w.bits(streamCrc.value_or(crc), 32);
        }
        return w.bytes();
    }
};

template <typename Change> Stream with(Change change) {
    Stream s;
    change(s);
    return s;
}

struct Row {
    const char* name;
    Bytes input;
    std::size_t outSize;
    DecompressStatus status;
    std::string output;
};

std::vector<Row> rows() {
    const auto ok = DecompressStatus::ok;
    const auto corrupt = DecompressStatus::corrupt;
    // "ab" repeated by move-to-front index 1 (symbol 2) sixty times: more symbols than
    // one selector covers.
    Stream alternating;
    alternating.used = {'a', 'b'};
    alternating.lengths = {{2, 2, 2, 2}, {2, 2, 2, 2}};
    alternating.symbols.assign(60, 2);
    alternating.symbols.push_back(3);
    return {
        {"one byte", Stream{}.bytes(), 10, ok, "a"},
        {"output of zero bytes", Stream{}.bytes(), 0, ok, ""},
        {"extra selectors are ignored", with([](Stream& s) {
                                            s.selectors = {0, 1, 0};
                                        }).bytes(),
         10, ok, "a"},
        {"output full before the end of the stream",
         with([](Stream& s) { s.endOfStream = false; }).bytes(), 1, ok, "a"},
        {"empty input", {}, 10, corrupt, ""},
        {"header only", Bytes{'B', 'Z', 'h', '9'}, 10, corrupt, ""},
        {"not BZh", with([](Stream& s) { s.magic = "BZx"; }).bytes(), 10, corrupt, ""},
        {"block size 0", with([](Stream& s) { s.level = '0'; }).bytes(), 10, corrupt, ""},
        {"block size above 9", with([](Stream& s) { s.level = ':'; }).bytes(), 10, corrupt, ""},
        {"bad block magic", with([](Stream& s) { s.blockMagic = 0x314159265358; }).bytes(), 10,
         corrupt, ""},
        {"randomised block", with([](Stream& s) { s.randomised = 1; }).bytes(), 10,
         DecompressStatus::unsupported, ""},
        {"origin pointer past the block", with([](Stream& s) { s.origin = 1; }).bytes(), 10,
         corrupt, ""},
        {"origin pointer far out", with([](Stream& s) { s.origin = 0xFFFFFF; }).bytes(), 10,
         corrupt, ""},
        {"no byte in use", with([](Stream& s) { s.used.clear(); }).bytes(), 10, corrupt, ""},
        {"one table", with([](Stream& s) {
                          s.groups = 1;
                          s.lengths.resize(1);
                      }).bytes(),
         10, corrupt, ""},
        {"seven tables", with([](Stream& s) {
                             s.groups = 7;
                             s.lengths.resize(7, {1, 2, 2});
                         }).bytes(),
         10, corrupt, ""},
        {"no selector", with([](Stream& s) { s.selectors.clear(); }).bytes(), 10, corrupt, ""},
        {"selector beyond the tables", with([](Stream& s) { s.selectors = {2}; }).bytes(), 10,
         corrupt, ""},
        {"code length 0", with([](Stream& s) {
                              s.lengths[1] = {0, 2, 2};
                          }).bytes(),
         10, corrupt, ""},
        {"code length 21", with([](Stream& s) {
                               s.lengths[1] = {1, 2, 21};
                           }).bytes(),
         10, corrupt, ""},
        {"over-subscribed code", with([](Stream& s) {
                                     s.lengths[1] = {1, 1, 1};
                                 }).bytes(),
         10, corrupt, ""},
        {"run longer than the block size", with([](Stream& s) {
                                               s.symbols = std::vector<unsigned>(17, 1);
                                               s.symbols.push_back(2);
                                           }).bytes(),
         10, corrupt, ""},
        {"symbols beyond the selectors", alternating.bytes(), 200, corrupt, ""},
        {"no end of block", with([](Stream& s) {
                                s.symbols = {0};
                                s.endOfStream = false;
                            }).bytes(),
         10, corrupt, ""},
        {"bad block checksum", with([](Stream& s) { s.blockCrc = 0x12345678; }).bytes(), 10,
         corrupt, ""},
        {"bad stream checksum", with([](Stream& s) { s.streamCrc = 0x12345678; }).bytes(), 10,
         corrupt, ""},
        {"stream cut after the block", with([](Stream& s) { s.endOfStream = false; }).bytes(), 10,
         corrupt, ""},
    };
}

TEST(Bzip2Decoder, HandMadeAndHostileStreams) {
    for (const Row& row : rows()) {
        SCOPED_TRACE(row.name);
        const Bytes input = row.input; // exactly sized: ASan reports reads past it
        Bytes out(row.outSize + 8, 0xA5);
        const auto result = storm::decodeBzip2(input.data(), input.size(), out.data(), row.outSize);
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

// Every prefix of a valid stream: never a crash or a read past it, and never `ok`
// unless the whole output came out.
TEST(Bzip2Decoder, EveryPrefixOfAStream) {
    const Bytes whole = Stream{}.bytes();
    for (std::size_t len = 0; len < whole.size(); ++len) {
        const Bytes prefix(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(len));
        Bytes out(4);
        const auto result =
            storm::decodeBzip2(prefix.data(), prefix.size(), out.data(), out.size());
        EXPECT_EQ(result.status, DecompressStatus::corrupt) << "prefix " << len;
    }
}

} // namespace
