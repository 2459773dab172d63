#include "storm/Decompress.h"

// Placeholder until the decoders land: every method is unsupported.
namespace storm {

DecompressResult decompressSector(const std::uint8_t*, std::size_t, std::uint8_t*, std::size_t) {
    return {DecompressStatus::unsupported, 0};
}

DecompressResult explodeSector(const std::uint8_t*, std::size_t, std::uint8_t*, std::size_t) {
    return {DecompressStatus::unsupported, 0};
}

} // namespace storm
