#include "tests/support/TestPaths.h"

#include <cstdlib>

namespace quorvell::testing {

std::filesystem::path sourceDir() {
    if (const char* dir = std::getenv("QUORVELL_SOURCE_DIR")) {
        return dir;
    }
    return std::filesystem::current_path();
}

std::optional<std::filesystem::path> sharedMapsDir() {
    std::filesystem::path dir;
    if (const char* overridden = std::getenv("QUORVELL_MAPS_DIR")) {
        dir = overridden;
    } else {
        dir = sourceDir() / ".." / "shared" / "maps";
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) {
        return std::nullopt;
    }
    return dir;
}

} // namespace quorvell::testing
