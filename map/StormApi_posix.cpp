// The native builds have no Storm.dll: the eight roles go straight to our own archive
// reader, in-process, so the native scan runs the same call sequence end to end.
#include "map/StormApi.h"

#include "storm/StormExports.h"

namespace quorvell {

namespace {

class InProcessStormApi final : public StormApi {
  public:
    std::int32_t StormPrepare() override { return storm::stormPrepare(); }
    std::uint32_t StormSetLocale(std::uint32_t locale) override {
        return storm::stormSetLocale(locale);
    }
    std::int32_t StormOpenArchive(const char* path, std::uint32_t priority, std::uint32_t flags,
                                  std::uint32_t* archive) override {
        return storm::stormOpenArchive(path, priority, flags, archive);
    }
    std::int32_t StormOpenFile(std::uint32_t archive, const char* name, std::uint32_t scope,
                               std::uint32_t* file) override {
        return storm::stormOpenFile(archive, name, scope, file);
    }
    std::uint32_t StormGetFileSize(std::uint32_t file, std::uint32_t* sizeHigh) override {
        return storm::stormGetFileSize(file, sizeHigh);
    }
    std::int32_t StormReadFile(std::uint32_t file, void* dest, std::uint32_t count,
                               std::uint32_t* bytesRead, void* overlapped) override {
        return storm::stormReadFile(file, dest, count, bytesRead, overlapped);
    }
    std::int32_t StormCloseFile(std::uint32_t file) override { return storm::stormCloseFile(file); }
    std::int32_t StormCloseArchive(std::uint32_t archive) override {
        return storm::stormCloseArchive(archive);
    }
};

} // namespace

StormApi& systemStormApi() {
    static InProcessStormApi api;
    return api;
}

} // namespace quorvell
