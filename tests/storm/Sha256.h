// SHA-256 of a byte range as lowercase hex, for comparing files read out of the real
// maps with their recorded digests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quorvell::testing {

std::string sha256Hex(const std::uint8_t* data, std::size_t size);

} // namespace quorvell::testing
