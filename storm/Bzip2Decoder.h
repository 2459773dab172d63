// The bzip2 method of compressed sectors (0x10): a standard "BZh" stream.
#pragma once

#include "storm/Decompress.h"

#include <cstddef>
#include <cstdint>

namespace storm {

DecompressResult decodeBzip2(const std::uint8_t* in, std::size_t inSize, std::uint8_t* out,
                             std::size_t outSize);

} // namespace storm
