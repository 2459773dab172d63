#include "storm/Decompress.h"

#include "storm/Bzip2Decoder.h"
#include "storm/Explode.h"
#include "storm/Inflate.h"

#include <vector>

namespace storm {

namespace {

// Bits of the mask byte. Compression applied them in the order zlib, PKWARE, bzip2
// (after Huffman and ADPCM, which only sounds use); they are undone in reverse.
constexpr std::uint8_t zlibBit = 0x02;
constexpr std::uint8_t pkwareBit = 0x08;
constexpr std::uint8_t bzip2Bit = 0x10;
constexpr std::uint8_t supportedBits = zlibBit | pkwareBit | bzip2Bit;
// In later archive versions this whole byte names LZMA; in ours it is bzip2 + zlib.
constexpr std::uint8_t lzmaByte = bzip2Bit | zlibBit;

using Decoder = DecompressResult (*)(const std::uint8_t*, std::size_t, std::uint8_t*, std::size_t);

struct Step {
    std::uint8_t bit;
    Decoder decode;
};

constexpr Step undoOrder[] = {
    {bzip2Bit, decodeBzip2},
    {pkwareBit, explode},
    {zlibBit, inflateZlib},
};

bool looksLikeBzip2(const std::uint8_t* data, std::size_t size) {
    return size >= 3 && data[0] == 'B' && data[1] == 'Z' && data[2] == 'h';
}

} // namespace

DecompressResult decompressSector(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                                  std::size_t outSize) {
    if (inSize == 0) {
        return {DecompressStatus::corrupt, 0}; // not even the mask byte
    }
    const std::uint8_t mask = in[0];
    const std::uint8_t* data = in + 1;
    std::size_t dataSize = inSize - 1;
    if ((mask & ~supportedBits) != 0) {
        return {DecompressStatus::unsupported, 0};
    }
    if (mask == 0) {
        return {DecompressStatus::corrupt, 0}; // a compressed sector names no method
    }
    if (mask == lzmaByte && !looksLikeBzip2(data, dataSize)) {
        return {DecompressStatus::unsupported, 0}; // LZMA data written by a newer tool
    }

    int steps = 0;
    for (const Step& step : undoOrder) {
        steps += (mask & step.bit) != 0 ? 1 : 0;
    }
    // Steps alternate between `out` and one scratch buffer, arranged so that the
    // last step writes to `out`. Every step produces at most `outSize` bytes.
    std::vector<std::uint8_t> scratch;
    if (steps > 1) {
        scratch.resize(outSize);
    }
    DecompressResult result{DecompressStatus::corrupt, 0};
    int remaining = steps;
    for (const Step& step : undoOrder) {
        if ((mask & step.bit) == 0) {
            continue;
        }
        --remaining;
        std::uint8_t* target = remaining % 2 == 0 ? out : scratch.data();
        result = step.decode(data, dataSize, target, outSize);
        if (result.status != DecompressStatus::ok) {
            return {result.status, 0};
        }
        data = target;
        dataSize = result.written;
    }
    return result;
}

DecompressResult explodeSector(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                               std::size_t outSize) {
    return explode(in, inSize, out, outSize);
}

} // namespace storm
