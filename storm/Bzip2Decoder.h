// The bzip2 method of compressed sectors (0x10): a standard "BZh" stream.
//
// Stages, in stream order: the header "BZh1".."BZh9" (block size limit 100k..900k);
// then blocks, each 0x314159265359, a CRC, the origin pointer, the map of bytes in
// use, Huffman tables with their selectors, and the Huffman-coded move-to-front
// symbols with RUNA/RUNB zero runs; then 0x177245385090 and the CRC of the stream.
// Each block is undone by inverse move-to-front, the inverse Burrows-Wheeler
// transform and the expansion of runs of four equal bytes plus a count byte.
#pragma once

#include "storm/Decompress.h"

#include <cstddef>
#include <cstdint>

namespace storm {

// Stops with `ok` at the end of the stream or once `outSize` bytes are produced. A
// block larger than its header allows, a bad table, a checksum that does not match or
// input that runs out early gives `corrupt`; the obsolete randomised blocks give
// `unsupported`.
DecompressResult decodeBzip2(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                             std::size_t outSize);

} // namespace storm
