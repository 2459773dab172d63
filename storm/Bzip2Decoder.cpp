#include "storm/Bzip2Decoder.h"

namespace storm {

DecompressResult decodeBzip2(const std::uint8_t*, std::size_t, std::uint8_t*, std::size_t) {
    return {DecompressStatus::unsupported, 0};
}

} // namespace storm
