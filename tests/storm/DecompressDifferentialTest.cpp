// Our decoders against independent writers: the system's StormLib (its PKWARE
// implode and its mask-based sector compressor), zlib's compress and libbzip2. Every
// input is compressed by them and must come back byte for byte.
#include "storm/Bzip2Decoder.h"
#include "storm/Decompress.h"
#include "storm/Explode.h"
#include "storm/Inflate.h"

#include <StormLib.h>
#include <bzlib.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include "tests/support/TestPaths.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <vector>

// The PKWARE DCL compressor inside the system's StormLib (its public C interface).
extern "C" unsigned int implode(unsigned int (*readBuf)(char* buf, unsigned int* size, void* param),
                                void (*writeBuf)(char* buf, unsigned int* size, void* param),
                                char* workBuf, void* param, unsigned int* type,
                                unsigned int* dictSize);

namespace {

using Bytes = std::vector<std::uint8_t>;
using storm::DecompressStatus;

const std::size_t sizes[] = {0, 1, 2, 3, 7, 100, 511, 1000, 4095, 4096, 4097, 10000, 65536};

Bytes randomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes data(size);
    for (auto& b : data) {
        b = static_cast<std::uint8_t>(rng());
    }
    return data;
}

// Script-like text: words, numbers, punctuation and line ends, with repeats.
Bytes textBytes(std::size_t size, std::uint32_t seed) {
    static const char* const words[] = {"call ",
                                        "TriggerRegisterPlayerChatEvent(",
                                        "gg_trg_",
                                        "Player(",
                                        "), \"",
                                        "-ap",
                                        "\", true)",
                                        "local integer i",
                                        "endfunction",
                                        "function ",
                                        "takes nothing returns nothing",
                                        "set ",
                                        " = ",
                                        "if ",
                                        " then",
                                        "endif",
                                        "\r\n",
                                        "    ",
                                        "0",
                                        "1",
                                        "12",
                                        "Melee",
                                        "udg_",
                                        "\xe7\x8e\xa9\xe5\xae\xb6",
                                        "//",
                                        "\t",
                                        "false"};
    std::mt19937 rng(seed);
    std::string text;
    while (text.size() < size) {
        text += words[rng() % (sizeof(words) / sizeof(words[0]))];
    }
    text.resize(size);
    return Bytes(text.begin(), text.end());
}

// Long runs of a few symbols: exercises overlapping copies and bzip2's run lengths.
Bytes runBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes data;
    while (data.size() < size) {
        const auto value = static_cast<std::uint8_t>(rng() % 3);
        const std::size_t run = 1 + rng() % 300;
        data.insert(data.end(), run, value);
    }
    data.resize(size);
    return data;
}

std::vector<std::pair<std::string, Bytes>> inputs() {
    std::vector<std::pair<std::string, Bytes>> all;
    std::uint32_t seed = 1;
    for (std::size_t size : sizes) {
        all.emplace_back("random" + std::to_string(size), randomBytes(size, seed++));
        all.emplace_back("text" + std::to_string(size), textBytes(size, seed++));
        all.emplace_back("runs" + std::to_string(size), runBytes(size, seed++));
    }
    return all;
}

// --- independent writers -------------------------------------------------------------

struct ImplodeIo {
    const Bytes* in;
    std::size_t pos = 0;
    Bytes out;
};

unsigned int implodeRead(char* buf, unsigned int* size, void* param) {
    auto* io = static_cast<ImplodeIo*>(param);
    const std::size_t n = std::min<std::size_t>(*size, io->in->size() - io->pos);
    if (n != 0) {
        std::memcpy(buf, io->in->data() + io->pos, n);
    }
    io->pos += n;
    return static_cast<unsigned int>(n);
}

void implodeWrite(char* buf, unsigned int* size, void* param) {
    auto* io = static_cast<ImplodeIo*>(param);
    io->out.insert(io->out.end(), buf, buf + *size);
}

Bytes pkwareImplode(const Bytes& plain, unsigned int type, unsigned int dictSize) {
    ImplodeIo io{&plain, 0, {}};
    std::vector<char> work(1u << 16);
    implode(implodeRead, implodeWrite, work.data(), &io, &type, &dictSize);
    return io.out;
}

Bytes zlibCompress(const Bytes& plain, int level) {
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    Bytes out(size);
    EXPECT_EQ(compress2(out.data(), &size, plain.data(), static_cast<uLong>(plain.size()), level),
              Z_OK);
    out.resize(size);
    return out;
}

Bytes bzip2Compress(const Bytes& plain, int blockSize100k) {
    auto size = static_cast<unsigned int>(plain.size() + plain.size() / 100 + 600);
    Bytes out(size);
    Bytes copy = plain; // libbzip2 takes a non-const, non-null source
    copy.push_back(0);
    EXPECT_EQ(BZ2_bzBuffToBuffCompress(
                  reinterpret_cast<char*>(out.data()), &size, reinterpret_cast<char*>(copy.data()),
                  static_cast<unsigned int>(plain.size()), blockSize100k, 0, 0),
              BZ_OK);
    out.resize(size);
    return out;
}

// StormLib's sector compressor; false when it declines (output not smaller).
bool stormCompress(const Bytes& plain, unsigned mask, int cmpType, Bytes& sector) {
    sector.assign(2 * plain.size() + 1024, 0);
    int size = static_cast<int>(sector.size());
    Bytes copy = plain;
    if (SCompCompress(sector.data(), &size, copy.data(), static_cast<int>(copy.size()), mask,
                      cmpType, 0) == 0) {
        return false;
    }
    sector.resize(static_cast<std::size_t>(size));
    return size > 0 && static_cast<std::size_t>(size) < plain.size();
}

template <typename Decode>
void expectRoundTrip(Decode decode, const Bytes& compressed, const Bytes& plain,
                     const std::string& what) {
    SCOPED_TRACE(what);
    // A guard zone after the expected size catches writes past outSize.
    Bytes out(plain.size() + 64, 0xA5);
    const auto result = decode(compressed.data(), compressed.size(), out.data(), plain.size());
    ASSERT_EQ(result.status, DecompressStatus::ok);
    ASSERT_EQ(result.written, plain.size());
    EXPECT_TRUE(std::equal(plain.begin(), plain.end(), out.begin()));
    for (std::size_t i = plain.size(); i < out.size(); ++i) {
        ASSERT_EQ(out[i], 0xA5) << "byte written past outSize at " << i;
    }
}

// --- the methods one by one ----------------------------------------------------------

TEST(DecompressDifferential, InflateDecodesZlibAtEveryLevel) {
    for (const auto& [name, plain] : inputs()) {
        for (int level : {0, 1, 6, 9}) {
            expectRoundTrip(storm::inflateZlib, zlibCompress(plain, level), plain,
                            name + " level " + std::to_string(level));
        }
    }
}

TEST(DecompressDifferential, ExplodeDecodesEveryModeAndDictionarySize) {
    for (const auto& [name, plain] : inputs()) {
        for (unsigned int type : {0u, 1u}) {
            for (unsigned int dict : {1024u, 2048u, 4096u}) {
                expectRoundTrip(storm::explode, pkwareImplode(plain, type, dict), plain,
                                name + (type == 0 ? " binary" : " ascii") + " dict " +
                                    std::to_string(dict));
            }
        }
    }
}

TEST(DecompressDifferential, ExplodeSectorMatchesStormLibImplode) {
    for (const auto& [name, plain] : inputs()) {
        Bytes sector(2 * plain.size() + 1024);
        int size = static_cast<int>(sector.size());
        Bytes copy = plain;
        if (SCompImplode(sector.data(), &size, copy.data(), static_cast<int>(copy.size())) == 0) {
            EXPECT_TRUE(plain.empty()) << name; // it declines only empty input
            continue;
        }
        sector.resize(static_cast<std::size_t>(size));
        expectRoundTrip(storm::explodeSector, sector, plain, name);
    }
}

TEST(DecompressDifferential, Bzip2DecodesEveryBlockSize) {
    for (const auto& [name, plain] : inputs()) {
        for (int block : {1, 5, 9}) {
            expectRoundTrip(storm::decodeBzip2, bzip2Compress(plain, block), plain,
                            name + " block " + std::to_string(block));
        }
    }
}

// --- whole sectors with a mask byte --------------------------------------------------

TEST(DecompressDifferential, SectorsFromStormLibForEveryMaskAndCombination) {
    const unsigned masks[] = {0x02, 0x08, 0x10, 0x0A, 0x12 /* written by StormLib as LZMA */,
                              0x18, 0x1A};
    std::map<unsigned, int> decodedByMaskByte;
    for (const auto& [name, plain] : inputs()) {
        for (unsigned mask : masks) {
            for (int cmpType : {0, 1}) {
                Bytes sector;
                if (!stormCompress(plain, mask, cmpType, sector)) {
                    continue; // not smaller: an archive stores such a sector raw
                }
                const std::string what =
                    name + " mask " + std::to_string(mask) + " type " + std::to_string(cmpType);
                if (mask == 0x12) {
                    // StormLib writes this byte for LZMA, which we do not decode.
                    Bytes out(plain.size());
                    EXPECT_EQ(storm::decompressSector(sector.data(), sector.size(), out.data(),
                                                      out.size())
                                  .status,
                              DecompressStatus::unsupported)
                        << what;
                    continue;
                }
                // StormLib may drop methods that did not help; the mask byte says
                // what was applied.
                expectRoundTrip(storm::decompressSector, sector, plain, what);
                ++decodedByMaskByte[sector[0]];
            }
        }
    }
    // Every method really reached the decoders. StormLib drops a later method that
    // does not shrink the data further, so combinations come from the test below.
    for (unsigned maskByte : {0x02u, 0x08u, 0x10u}) {
        EXPECT_GT(decodedByMaskByte[maskByte], 0) << "no sector with mask byte " << maskByte;
    }
}

// Sectors we chain ourselves with the independent writers, in the order compression
// applies them (zlib, PKWARE, bzip2), so that every step of the mask is really used.
TEST(DecompressDifferential, HandChainedSectorsUndoEveryStep) {
    int chained = 0;
    for (const auto& [name, plain] : inputs()) {
        if (plain.size() < 100) {
            continue;
        }
        const Bytes z = zlibCompress(plain, 9);
        const Bytes p = pkwareImplode(plain, 0, 4096);
        const Bytes zp = pkwareImplode(z, 0, 4096);
        // Intermediate results larger than the sector cannot occur in an archive.
        if (z.size() > plain.size() || p.size() > plain.size() || zp.size() > plain.size()) {
            continue;
        }
        struct Case {
            std::uint8_t mask;
            Bytes data;
        } cases[] = {
            {0x0A, zp},
            {0x12, bzip2Compress(z, 9)},
            {0x18, bzip2Compress(p, 9)},
            {0x1A, bzip2Compress(zp, 9)},
        };
        for (const Case& c : cases) {
            Bytes sector{c.mask};
            sector.insert(sector.end(), c.data.begin(), c.data.end());
            expectRoundTrip(storm::decompressSector, sector, plain,
                            name + " mask " + std::to_string(c.mask));
            ++chained;
        }
    }
    EXPECT_GT(chained, 0);
}

// Output cut at outSize: every method stops there with `ok` and writes nothing more.
TEST(DecompressDifferential, OutputLongerThanOutSizeIsCutThere) {
    const Bytes plain = textBytes(5000, 99);
    const Bytes z = zlibCompress(plain, 6);
    const Bytes p = pkwareImplode(plain, 1, 2048);
    const Bytes b = bzip2Compress(plain, 1);
    using Decoder =
        storm::DecompressResult (*)(const std::uint8_t*, std::size_t, std::uint8_t*, std::size_t);
    const std::pair<Decoder, const Bytes*> decoders[] = {
        {storm::inflateZlib, &z}, {storm::explode, &p}, {storm::decodeBzip2, &b}};
    for (const auto& [decode, data] : decoders) {
        for (std::size_t cut :
             {std::size_t{0}, std::size_t{1}, std::size_t{1000}, std::size_t{4999}}) {
            Bytes out(cut + 16, 0xA5);
            const auto result = decode(data->data(), data->size(), out.data(), cut);
            ASSERT_EQ(result.status, DecompressStatus::ok) << cut;
            ASSERT_EQ(result.written, cut);
            EXPECT_TRUE(std::equal(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(cut),
                                   plain.begin()));
            for (std::size_t i = cut; i < out.size(); ++i) {
                ASSERT_EQ(out[i], 0xA5);
            }
        }
    }
}

// Every proper prefix of a valid stream is cut short: never ok with the full output,
// never a read past the prefix (ASan watches the exact-size copy).
TEST(DecompressDifferential, TruncatedStreamsAreCorrupt) {
    const Bytes plain = textBytes(3000, 7);
    using Decoder =
        storm::DecompressResult (*)(const std::uint8_t*, std::size_t, std::uint8_t*, std::size_t);
    const std::pair<Decoder, Bytes> streams[] = {{storm::inflateZlib, zlibCompress(plain, 6)},
                                                 {storm::explode, pkwareImplode(plain, 0, 1024)},
                                                 {storm::explode, pkwareImplode(plain, 1, 4096)},
                                                 {storm::decodeBzip2, bzip2Compress(plain, 9)}};
    for (const auto& [decode, data] : streams) {
        for (std::size_t len = 0; len < data.size(); len += 1 + len / 8) {
            const Bytes prefix(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(len));
            Bytes out(plain.size());
            const auto result = decode(prefix.data(), prefix.size(), out.data(), out.size());
            if (result.status == DecompressStatus::ok) {
                // Only possible when the whole output came out before the cut (a
                // trailer was lost).
                EXPECT_EQ(result.written, plain.size()) << "prefix " << len;
            } else {
                EXPECT_EQ(result.status, DecompressStatus::corrupt) << "prefix " << len;
            }
        }
    }
}

} // namespace

namespace {

// Writes the small vectors in tests/storm/data that the portable tests decode (also
// under Wine, where none of these writers exist). Run by hand after a change:
//   storm_decompress_differential_tests --gtest_also_run_disabled_tests
//       --gtest_filter='*WriteCommittedVectors'
TEST(DecompressDifferential, DISABLED_WriteCommittedVectors) {
    const std::string text =
        "function Trig_Commands_Actions takes nothing returns nothing\r\n"
        "    call DisplayTextToPlayer(GetTriggerPlayer(), 0, 0, \"-ap -ar -sd\")\r\n"
        "endfunction\r\n"
        "function InitTrig_Commands takes nothing returns nothing\r\n"
        "    set gg_trg_Commands = CreateTrigger()\r\n"
        "    call TriggerRegisterPlayerChatEvent(gg_trg_Commands, Player(0), \"-ap\", true)\r\n"
        "    call TriggerRegisterPlayerChatEvent(gg_trg_Commands, Player(1), \"-ap\", true)\r\n"
        "    call TriggerRegisterPlayerChatEvent(gg_trg_Commands, Player(2), \"-ar\", false)\r\n"
        "    call TriggerAddAction(gg_trg_Commands, function Trig_Commands_Actions)\r\n"
        "endfunction\r\n";
    const Bytes plain(text.begin(), text.end());
    const Bytes z = zlibCompress(plain, 9);
    const Bytes zp = pkwareImplode(z, 0, 1024);
    const Bytes p = pkwareImplode(plain, 0, 4096);
    ASSERT_LE(zp.size(), plain.size());
    const auto withMask = [](std::uint8_t mask, const Bytes& data) {
        Bytes sector{mask};
        sector.insert(sector.end(), data.begin(), data.end());
        return sector;
    };
    Bytes imploded(2 * plain.size());
    int implodedSize = static_cast<int>(imploded.size());
    Bytes copy = plain;
    ASSERT_NE(
        SCompImplode(imploded.data(), &implodedSize, copy.data(), static_cast<int>(copy.size())),
        0);
    imploded.resize(static_cast<std::size_t>(implodedSize));

    const std::pair<const char*, Bytes> files[] = {
        {"plain.txt", plain},
        {"zlib.sector", withMask(0x02, z)},
        {"pkware-binary.sector", withMask(0x08, p)},
        {"pkware-ascii.sector", withMask(0x08, pkwareImplode(plain, 1, 2048))},
        {"bzip2.sector", withMask(0x10, bzip2Compress(plain, 9))},
        {"zlib-pkware.sector", withMask(0x0A, zp)},
        {"zlib-bzip2.sector", withMask(0x12, bzip2Compress(z, 1))},
        {"pkware-bzip2.sector", withMask(0x18, bzip2Compress(p, 1))},
        {"zlib-pkware-bzip2.sector", withMask(0x1A, bzip2Compress(zp, 1))},
        {"imploded.bin", imploded},
    };
    const auto dir = quorvell::testing::sourceDir() / "tests" / "storm" / "data";
    std::filesystem::create_directories(dir);
    for (const auto& [name, data] : files) {
        std::ofstream file(dir / name, std::ios::binary);
        file.write(reinterpret_cast<const char*>(data.data()),
                   static_cast<std::streamsize>(data.size()));
        ASSERT_TRUE(file.good()) << name;
    }
}

} // namespace
