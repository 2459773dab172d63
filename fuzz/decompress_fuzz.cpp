// The decompressors on arbitrary input. The first byte picks the function, the next two
// give outSize (little-endian), the rest is the compressed input. Besides the
// sanitizers' checks: nothing is written past outSize, a failed sector reports no
// output, and a zlib or bzip2 stream that we decode to its end decodes to the same
// bytes with the reference libraries. Two more choices take the rest as plain data
// instead, compress it with libbzip2 or with StormLib's PKWARE implode, and require
// our decoder to give it back.
#include "storm/Bzip2Decoder.h"
#include "storm/Decompress.h"
#include "storm/Explode.h"
#include "storm/Inflate.h"

#include <bzlib.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

// The PKWARE DCL compressor inside the system's StormLib (its public C interface).
extern "C" unsigned int implode(unsigned int (*readBuf)(char* buf, unsigned int* size, void* param),
                                void (*writeBuf)(char* buf, unsigned int* size, void* param),
                                char* workBuf, void* param, unsigned int* type,
                                unsigned int* dictSize);

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

struct ImplodeIo {
    const std::uint8_t* in;
    std::size_t size;
    std::size_t pos;
    std::vector<std::uint8_t> out;
};

unsigned int implodeRead(char* buf, unsigned int* size, void* param) {
    auto* io = static_cast<ImplodeIo*>(param);
    const std::size_t n = std::min<std::size_t>(*size, io->size - io->pos);
    if (n != 0) {
        std::memcpy(buf, io->in + io->pos, n);
    }
    io->pos += n;
    return static_cast<unsigned int>(n);
}

void implodeWrite(char* buf, unsigned int* size, void* param) {
    auto* io = static_cast<ImplodeIo*>(param);
    io->out.insert(io->out.end(), buf, buf + *size);
}

void roundTripBzip2(const std::uint8_t* plain, std::size_t size, unsigned level) {
    std::vector<char> source(plain, plain + size);
    source.push_back(0);
    std::vector<char> packed(size + size / 100 + 600);
    auto packedSize = static_cast<unsigned int>(packed.size());
    check(BZ2_bzBuffToBuffCompress(packed.data(), &packedSize, source.data(),
                                   static_cast<unsigned int>(size), static_cast<int>(level), 0,
                                   0) == BZ_OK);
    std::vector<std::uint8_t> out(size + 1);
    const auto result = storm::decodeBzip2(reinterpret_cast<const std::uint8_t*>(packed.data()),
                                           packedSize, out.data(), out.size());
    check(result.status == storm::DecompressStatus::ok && result.written == size &&
          (size == 0 || std::memcmp(out.data(), plain, size) == 0));
}

void roundTripImplode(const std::uint8_t* plain, std::size_t size, unsigned type,
                      unsigned dictSize) {
    ImplodeIo io{plain, size, 0, {}};
    std::vector<char> work(1u << 16);
    implode(implodeRead, implodeWrite, work.data(), &io, &type, &dictSize);
    std::vector<std::uint8_t> out(size + 1);
    const auto result = storm::explode(io.out.data(), io.out.size(), out.data(), out.size());
    check(result.status == storm::DecompressStatus::ok && result.written == size &&
          (size == 0 || std::memcmp(out.data(), plain, size) == 0));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    const unsigned which = data[0] % 6u;
    const std::size_t outSize = data[1] | (std::size_t{data[2]} << 8);
    const std::uint8_t* in = data + 3;
    const std::size_t inSize = size - 3;
    if (which == 4) {
        roundTripBzip2(in, inSize, 1 + data[1] % 9u);
        return 0;
    }
    if (which == 5) {
        roundTripImplode(in, inSize, data[1] & 1u, 1024u << (data[2] % 3u));
        return 0;
    }
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
