// Undoing the compressions of the archive format. Every function writes at most
// `outSize` bytes to `out` and reads at most `inSize` bytes from `in`; corrupt or
// hostile input gives a status, never a crash.
#pragma once

#include <cstddef>
#include <cstdint>

namespace storm {

enum class DecompressStatus {
    ok,          // `written` bytes were produced
    unsupported, // a method this reader does not implement
    corrupt,     // the data does not decode
};

// `ok` with `written` below `outSize`: the data ended early (the archive reader pads
// the rest with zeros). Data that decodes to more than `outSize` is cut there and is
// `ok`. With any other status the output is not to be used.
struct DecompressResult {
    DecompressStatus status;
    std::size_t written;
};

// A sector of a file with the COMPRESS flag: its first byte is the mask of methods,
// the compressed data follows. Several methods are undone in the order the format
// defines. `outSize` is the sector's uncompressed size.
DecompressResult decompressSector(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                                  std::size_t outSize);

// A sector of a file with the IMPLODE flag: PKWARE DCL data, no mask byte.
DecompressResult explodeSector(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                               std::size_t outSize);

} // namespace storm
