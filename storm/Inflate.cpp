#include "storm/Inflate.h"

#include <zlib.h>

#include <climits>

namespace storm {

// The stream's two-byte header is checked here and the deflate data inflated raw: the
// Adler-32 trailer is not needed (a sector is taken once its bytes are produced), and
// skipping it saves a pass over the output. One call with Z_FINISH writes straight into
// the output without zlib's sliding-window copy.
DecompressResult inflateZlib(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                             std::size_t outSize) {
    if (outSize == 0) {
        return {DecompressStatus::ok, 0};
    }
    if (inSize < 2 || inSize > UINT_MAX || outSize > UINT_MAX) {
        return {DecompressStatus::corrupt, 0};
    }
    const unsigned cmf = in[0];
    const unsigned flg = in[1];
    const bool deflate = (cmf & 0x0F) == 8 && (cmf >> 4) <= 7;
    const bool checked = ((cmf << 8) | flg) % 31 == 0;
    const bool presetDictionary = (flg & 0x20) != 0;
    if (!deflate || !checked || presetDictionary) {
        return {DecompressStatus::corrupt, 0};
    }
    z_stream z{};
    if (inflateInit2(&z, -15) != Z_OK) {
        return {DecompressStatus::corrupt, 0};
    }
    // zlib's interface is not const-correct; it never writes through next_in.
    z.next_in = const_cast<Bytef*>(in + 2);
    z.avail_in = static_cast<uInt>(inSize - 2);
    z.next_out = out;
    z.avail_out = static_cast<uInt>(outSize);
    const int rc = inflate(&z, Z_FINISH);
    const std::size_t written = outSize - z.avail_out;
    const std::size_t trailerLeft = z.avail_in;
    const Bytef* trailer = z.next_in;
    inflateEnd(&z);

    // A full output is accepted even if the stream goes on or is damaged after it.
    if (written == outSize) {
        return {DecompressStatus::ok, written};
    }
    // A stream that ends early counts only with its checksum, as zlib would have it.
    if (rc == Z_STREAM_END && trailerLeft >= 4) {
        const uLong expected = (uLong{trailer[0]} << 24) | (uLong{trailer[1]} << 16) |
                               (uLong{trailer[2]} << 8) | uLong{trailer[3]};
        if (adler32(adler32(0, nullptr, 0), out, static_cast<uInt>(written)) == expected) {
            return {DecompressStatus::ok, written};
        }
    }
    return {DecompressStatus::corrupt, written};
}

} // namespace storm
