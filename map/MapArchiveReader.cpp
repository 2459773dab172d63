#include "map/MapArchiveReader.h"

namespace quorvell {

namespace {
// The language identifier of English (United States).
constexpr std::uint32_t kLocaleEnglishUs = 1033;
} // namespace

ByteBuffer MapArchiveReader::readInnerFile(const Text& mapPath, const Text& innerName) {
    ByteBuffer result;
    std::uint32_t archive = 0;
    std::uint32_t file = 0;

    // Both run on every call: the library may rely on them before each open.
    api_.StormPrepare();
    api_.StormSetLocale(kLocaleEnglishUs);

    if (api_.StormOpenArchive(mapPath.c_str(), 0, 0, &archive) == 0) {
        return result; // nothing was opened, so nothing is closed
    }
    if (api_.StormOpenFile(archive, innerName.c_str(), 0, &file) != 0) {
        // The size is taken as signed: a size with the top bit set counts as negative,
        // and blank() gives the empty buffer for it.
        const auto size = static_cast<std::int32_t>(api_.StormGetFileSize(file, nullptr));
        result = ByteBuffer::blank(size);
        // The buffer is zero-filled, so a short or failed read leaves zeros behind it.
        api_.StormReadFile(file, result.data(), static_cast<std::uint32_t>(size), nullptr, nullptr);
        api_.StormCloseFile(file);
    }
    api_.StormCloseArchive(archive);
    return result;
}

} // namespace quorvell
