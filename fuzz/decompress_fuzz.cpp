// The decompressors on arbitrary input. The first byte picks the function, the next two
// give outSize (little-endian), the rest is the compressed input. Besides the
// sanitizers' checks: nothing is written past outSize, a failed sector reports no
// output, and a zlib or bzip2 stream that we decode to its end decodes to the same
// bytes with the reference libraries.
#include "storm/Bzip2Decoder.h"
#include "storm/Decompress.h"
#include "storm/Explode.h"
#include "storm/Inflate.h"

#include <bzlib.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

void sameAsZlib(const std::uint8_t* in, std::size_t inSize, const std::uint8_t* ours,
                std::size_t written, std::size_t outSize) {
    std::vector<std::uint8_t> theirs(outSize + 1);
    uLongf size = static_cast<uLongf>(theirs.size());
    const int rc = uncompress(theirs.data(), &size, in, static_cast<uLong>(inSize));
    check(rc == Z_OK && size == written && std::memcmp(theirs.data(), ours, written) == 0);
}

void sameAsBzip2(const std::uint8_t* in, std::size_t inSize, const std::uint8_t* ours,
                 std::size_t written, std::size_t outSize) {
    std::vector<char> theirs(outSize + 1);
    auto size = static_cast<unsigned int>(theirs.size());
    std::vector<char> source(in, in + inSize);
    source.push_back(0); // never a null source
    const int rc = BZ2_bzBuffToBuffDecompress(theirs.data(), &size, source.data(),
                                              static_cast<unsigned int>(inSize), 0, 0);
    check(rc == BZ_OK && size == written && std::memcmp(theirs.data(), ours, written) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    const unsigned which = data[0] % 4u;
    const std::size_t outSize = data[1] | (std::size_t{data[2]} << 8);
    const std::uint8_t* in = data + 3;
    const std::size_t inSize = size - 3;
    // Exactly outSize bytes on the heap: ASan reports a write one past them.
    std::unique_ptr<std::uint8_t[]> out(new std::uint8_t[outSize == 0 ? 1 : outSize]);
    std::uint8_t* target = outSize == 0 ? nullptr : out.get();

    storm::DecompressResult result{};
    switch (which) {
    case 0:
        result = storm::decompressSector(in, inSize, target, outSize);
        check(result.status == storm::DecompressStatus::ok || result.written == 0);
        break;
    case 1:
        result = storm::explodeSector(in, inSize, target, outSize);
        break;
    case 2:
        result = storm::decodeBzip2(in, inSize, target, outSize);
        if (result.status == storm::DecompressStatus::ok && result.written < outSize) {
            sameAsBzip2(in, inSize, target, result.written, outSize);
        }
        break;
    default:
        result = storm::inflateZlib(in, inSize, target, outSize);
        if (result.status == storm::DecompressStatus::ok && result.written < outSize) {
            sameAsZlib(in, inSize, target, result.written, outSize);
        }
        break;
    }
    check(result.written <= outSize);
    return 0;
}
