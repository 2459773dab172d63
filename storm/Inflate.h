// The zlib method of compressed sectors: a complete zlib stream (2-byte header,
// deflate data, Adler-32 trailer).
#pragma once

#include "storm/Decompress.h"

#include <cstddef>
#include <cstdint>

namespace storm {

// Inflates straight into `out`. Stops with `ok` once `outSize` bytes are produced (a
// longer stream is cut there, whatever follows) or the stream ends; a stream that is
// damaged or ends early before either gives `corrupt`.
DecompressResult inflateZlib(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                             std::size_t outSize);

} // namespace storm
