// Where tests find the shared real maps and the source tree.
#pragma once

#include <filesystem>
#include <optional>

namespace quorvell::testing {

// The folder of real maps beside the checkout (../shared/maps), or nothing when it is
// absent; QUORVELL_MAPS_DIR overrides it.
std::optional<std::filesystem::path> sharedMapsDir();
// The source tree (QUORVELL_SOURCE_DIR, set by CTest).
std::filesystem::path sourceDir();

} // namespace quorvell::testing
