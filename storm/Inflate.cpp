#include "storm/Inflate.h"

#include <zlib.h>

#include <algorithm>
#include <climits>

namespace storm {

namespace {

// zlib counts in uInt; feed it in pieces no larger than that.
constexpr std::size_t maxChunk = UINT_MAX;

uInt chunk(std::size_t n) {
    return static_cast<uInt>(std::min(n, maxChunk));
}

} // namespace

DecompressResult inflateZlib(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                             std::size_t outSize) {
    if (outSize == 0) {
        return {DecompressStatus::ok, 0};
    }
    z_stream z{};
    if (inflateInit(&z) != Z_OK) {
        return {DecompressStatus::corrupt, 0};
    }
    // zlib's interface is not const-correct; it never writes through next_in.
    z.next_in = const_cast<Bytef*>(in);
    z.avail_in = chunk(inSize);
    std::size_t inLeft = inSize - z.avail_in;
    z.next_out = out;
    z.avail_out = chunk(outSize);
    std::size_t outLeft = outSize - z.avail_out;

    int rc = Z_OK;
    for (;;) {
        rc = inflate(&z, Z_NO_FLUSH);
        if (z.avail_out == 0 && outLeft > 0) {
            z.avail_out = chunk(outLeft);
            outLeft -= z.avail_out;
        }
        if (z.avail_in == 0 && inLeft > 0) {
            z.avail_in = chunk(inLeft);
            inLeft -= z.avail_in;
        }
        if (rc != Z_OK) {
            break; // the end, an error, or no progress possible (Z_BUF_ERROR)
        }
        if (z.avail_out == 0) {
            break; // the output is full
        }
    }
    const std::size_t written = outSize - outLeft - z.avail_out;
    inflateEnd(&z);

    // A full output is accepted even if the stream goes on or its trailer is damaged.
    if (rc == Z_STREAM_END || written == outSize) {
        return {DecompressStatus::ok, written};
    }
    return {DecompressStatus::corrupt, written};
}

} // namespace storm
