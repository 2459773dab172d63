#include "storm/Decompress.h"

#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
using storm::DecompressStatus;

Bytes readVector(const std::string& name) {
    std::ifstream file(quorvell::testing::sourceDir() / "tests" / "storm" / "data" / name,
                       std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

Bytes zlibStream(const std::string& text) {
    uLongf size = compressBound(static_cast<uLong>(text.size()));
    Bytes out(size);
    EXPECT_EQ(compress2(out.data(), &size, reinterpret_cast<const Bytef*>(text.data()),
                        static_cast<uLong>(text.size()), 9),
              Z_OK);
    out.resize(size);
    return out;
}

Bytes withMask(std::uint8_t mask, Bytes data) {
    data.insert(data.begin(), mask);
    return data;
}

// Vectors written once by independent compressors (see the native differential
// test); each decodes to plain.txt. This runs in the Windows build as well.
TEST(Decompress, CommittedVectorsOfEveryMethod) {
    const Bytes plain = readVector("plain.txt");
    ASSERT_FALSE(plain.empty()) << "tests/storm/data/plain.txt not found";
    struct Vector {
        const char* file;
        bool imploded; // an IMPLODE file's sector: no mask byte
    };
    const Vector vectors[] = {
        {"zlib.sector", false},         {"pkware-binary.sector", false},
        {"pkware-ascii.sector", false}, {"bzip2.sector", false},
        {"zlib-pkware.sector", false},  {"zlib-bzip2.sector", false},
        {"pkware-bzip2.sector", false}, {"zlib-pkware-bzip2.sector", false},
        {"imploded.bin", true},
    };
    for (const Vector& v : vectors) {
        SCOPED_TRACE(v.file);
        const Bytes sector = readVector(v.file);
        ASSERT_FALSE(sector.empty());
        Bytes out(plain.size() + 16, 0xA5);
        const auto result =
            v.imploded
                ? storm::explodeSector(sector.data(), sector.size(), out.data(), plain.size())
                : storm::decompressSector(sector.data(), sector.size(), out.data(), plain.size());
        ASSERT_EQ(result.status, DecompressStatus::ok);
        ASSERT_EQ(result.written, plain.size());
        EXPECT_TRUE(std::equal(plain.begin(), plain.end(), out.begin()));
        for (std::size_t i = plain.size(); i < out.size(); ++i) {
            ASSERT_EQ(out[i], 0xA5) << "write past outSize";
        }
    }
}

struct Row {
    const char* name;
    Bytes sector;
    std::size_t outSize;
    DecompressStatus status;
    std::string output; // when ok
};

std::vector<Row> rows() {
    const std::string text =
        "call TriggerRegisterPlayerChatEvent(gg_trg_A, Player(0), \"-ap\", true)";
    const Bytes z = zlibStream(text);
    Bytes badTrailer = withMask(0x02, z);
    badTrailer.back() ^= 0xFF;
    Bytes trailingJunk = withMask(0x02, z);
    trailingJunk.insert(trailingJunk.end(), {1, 2, 3, 4});
    Bytes badData = withMask(0x02, z);
    badData[5] ^= 0x55;
    const Bytes cut(z.begin(), z.begin() + static_cast<std::ptrdiff_t>(z.size() / 2));
    const auto ok = DecompressStatus::ok;
    const auto corrupt = DecompressStatus::corrupt;
    const auto unsupported = DecompressStatus::unsupported;
    return {
        {"zlib", withMask(0x02, z), text.size(), ok, text},
        {"zlib shorter than the sector (the reader pads)", withMask(0x02, z), text.size() + 100, ok,
         text},
        {"zlib longer than the sector is cut", withMask(0x02, z), 10, ok, text.substr(0, 10)},
        {"zlib into no room", withMask(0x02, z), 0, ok, ""},
        {"zlib with a damaged trailer after the whole output", badTrailer, text.size(), ok, text},
        {"zlib followed by junk", trailingJunk, text.size(), ok, text},
        {"zlib with damaged data", badData, text.size(), corrupt, ""},
        {"zlib cut short", withMask(0x02, cut), text.size(), corrupt, ""},
        {"zlib header only", Bytes{0x02, 0x78, 0xDA}, text.size(), corrupt, ""},
        {"zlib asking for a preset dictionary", Bytes{0x02, 0x78, 0xBB, 0, 0, 0, 1, 0x03, 0x00}, 10,
         corrupt, ""},
        {"not zlib", Bytes{0x02, 'h', 'e', 'l', 'l', 'o'}, 10, corrupt, ""},
        {"no mask byte", Bytes{}, 10, corrupt, ""},
        {"mask naming no method", Bytes{0x00, 'a', 'b'}, 10, corrupt, ""},
        {"Huffman", Bytes{0x01, 0, 0, 0}, 10, unsupported, ""},
        {"Huffman then zlib", withMask(0x03, z), text.size(), unsupported, ""},
        {"unknown bit 0x04", withMask(0x06, z), text.size(), unsupported, ""},
        {"sparse", Bytes{0x20, 0, 0, 0}, 10, unsupported, ""},
        {"ADPCM mono", Bytes{0x41, 0, 0, 0}, 10, unsupported, ""},
        {"ADPCM stereo", Bytes{0x81, 0, 0, 0}, 10, unsupported, ""},
        {"every bit", Bytes{0xFF, 0, 0, 0}, 10, unsupported, ""},
        {"LZMA written by a newer tool", Bytes{0x12, 0x5D, 0x00, 0x00, 0x01, 0x00, 0x41}, 10,
         unsupported, ""},
        {"bzip2 + zlib whose bzip2 step fails", Bytes{0x12, 'B', 'Z', 'h', '9', 0x31, 0x41}, 10,
         corrupt, ""},
        {"PKWARE + zlib whose PKWARE step fails", withMask(0x0A, z), text.size(), corrupt, ""},
        {"PKWARE with a bad header", Bytes{0x08, 0x02, 0x04, 0, 0}, 10, corrupt, ""},
        {"bzip2 with a bad header", Bytes{0x10, 'B', 'Z', 'h', '0'}, 10, corrupt, ""},
    };
}

TEST(Decompress, MaskDispatchAndHostileSectors) {
    for (const Row& row : rows()) {
        SCOPED_TRACE(row.name);
        const Bytes sector = row.sector; // exactly sized: ASan reports reads past it
        Bytes out(row.outSize + 8, 0xA5);
        const auto result =
            storm::decompressSector(sector.data(), sector.size(), out.data(), row.outSize);
        EXPECT_EQ(result.status, row.status);
        EXPECT_LE(result.written, row.outSize);
        if (row.status == DecompressStatus::ok) {
            EXPECT_EQ(
                std::string(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(result.written)),
                row.output);
        } else {
            EXPECT_EQ(result.written, 0u);
        }
        for (std::size_t i = row.outSize; i < out.size(); ++i) {
            ASSERT_EQ(out[i], 0xA5) << "write past outSize";
        }
    }
}

// A multi-step sector whose first step yields more than the sector holds: the step
// stops at the sector size and the next step then fails on the cut data.
TEST(Decompress, IntermediateResultsAreBoundedByTheSectorSize) {
    const Bytes sector = readVector("zlib-pkware.sector");
    ASSERT_FALSE(sector.empty());
    for (std::size_t outSize : {std::size_t{1}, std::size_t{16}, std::size_t{64}}) {
        Bytes out(outSize + 8, 0xA5);
        const auto result =
            storm::decompressSector(sector.data(), sector.size(), out.data(), outSize);
        EXPECT_LE(result.written, outSize);
        for (std::size_t i = outSize; i < out.size(); ++i) {
            ASSERT_EQ(out[i], 0xA5) << "write past outSize";
        }
    }
}

} // namespace
