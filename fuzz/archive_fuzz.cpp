// Whole map files through the archive reader: header search, both tables, lookup and
// every sector rule, with the names the program asks for.
#include "storm/Archive.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto archive = storm::Archive::fromBytes(std::vector<std::uint8_t>(data, data + size));
    if (!archive) {
        return 0;
    }
    (void)archive->readFile("war3map.j", 1033);
    (void)archive->readFile("scripts\\war3map.j", 0);
    (void)archive->readFile("(listfile)", 0);
    return 0;
}
