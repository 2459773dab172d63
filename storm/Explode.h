// PKWARE DCL "explode": the IMPLODE file layout and the PKWARE method (0x08) of
// compressed sectors.
//
// A stream is a 2-byte header (literal mode 0 = raw bytes, 1 = Huffman-coded ASCII;
// then 4, 5 or 6 low distance bits, i.e. a 1, 2 or 4 KiB window) followed by tokens
// read least significant bit first: flag 0 and a literal, or flag 1, a length code
// with extra bits and a distance code with low bits. Length 519 ends the stream.
#pragma once

#include "storm/Decompress.h"

#include <cstddef>
#include <cstdint>

namespace storm {

// Stops with `ok` at the end marker or once `outSize` bytes are produced. A bad
// header, a distance before the first byte, or input that runs out before the end
// marker gives `corrupt`.
DecompressResult explode(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                         std::size_t outSize);

} // namespace storm
