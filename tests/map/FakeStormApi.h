// A StormApi that simulates archives in memory and records every call it receives, one
// line per call, for tests of the reader and the scan driver.
#pragma once

#include "map/StormApi.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace quorvell::testing {

struct FakeInnerFile {
    std::string bytes;
    std::optional<std::uint32_t> reportedSize =
        std::nullopt; // the size call's answer; bytes.size() when unset
    std::optional<std::uint32_t> storeAtMost =
        std::nullopt; // the read stores no more than this (a short read)
};

class FakeStormApi final : public StormApi {
  public:
    static constexpr std::uint32_t kArchiveHandle = 0x11;
    static constexpr std::uint32_t kFileHandle = 0x22;

    // Archives by path, inner files by name.
    std::map<std::string, std::map<std::string, FakeInnerFile>> archives;
    std::vector<std::string> calls;

    std::int32_t StormPrepare() override {
        calls.push_back("prepare");
        return 1;
    }
    std::uint32_t StormSetLocale(std::uint32_t locale) override {
        calls.push_back("locale " + std::to_string(locale));
        return 0;
    }
    std::int32_t StormOpenArchive(const char* path, std::uint32_t priority, std::uint32_t flags,
                                  std::uint32_t* archive) override {
        calls.push_back("openArchive " + std::string(path) + " " + std::to_string(priority) + " " +
                        std::to_string(flags));
        const auto it = archives.find(path);
        if (it == archives.end()) {
            return 0;
        }
        openArchive_ = &it->second;
        *archive = kArchiveHandle;
        openHandles_.insert(kArchiveHandle);
        return 1;
    }
    std::int32_t StormOpenFile(std::uint32_t archive, const char* name, std::uint32_t scope,
                               std::uint32_t* file) override {
        calls.push_back("openFile " + hex(archive) + " " + std::string(name) + " " +
                        std::to_string(scope));
        if (archive != kArchiveHandle || openArchive_ == nullptr) {
            return 0;
        }
        const auto it = openArchive_->find(name);
        if (it == openArchive_->end()) {
            return 0;
        }
        openFile_ = &it->second;
        *file = kFileHandle;
        openHandles_.insert(kFileHandle);
        return 1;
    }
    std::uint32_t StormGetFileSize(std::uint32_t file, std::uint32_t* sizeHigh) override {
        calls.push_back("size " + hex(file) + (sizeHigh == nullptr ? " null" : " high"));
        if (file != kFileHandle || openFile_ == nullptr) {
            return 0xFFFFFFFFu;
        }
        return openFile_->reportedSize.value_or(
            static_cast<std::uint32_t>(openFile_->bytes.size()));
    }
    std::int32_t StormReadFile(std::uint32_t file, void* dest, std::uint32_t count,
                               std::uint32_t* bytesRead, void* overlapped) override {
        calls.push_back("read " + hex(file) + (dest == nullptr ? " null " : " dest ") +
                        std::to_string(count) + (bytesRead == nullptr ? " null" : " count") +
                        (overlapped == nullptr ? " null" : " ov"));
        if (file != kFileHandle || openFile_ == nullptr || dest == nullptr) {
            return 0;
        }
        std::size_t n = std::min<std::size_t>(count, openFile_->bytes.size());
        if (openFile_->storeAtMost) {
            n = std::min<std::size_t>(n, *openFile_->storeAtMost);
        }
        std::memcpy(dest, openFile_->bytes.data(), n);
        return n == count ? 1 : 0;
    }
    std::int32_t StormCloseFile(std::uint32_t file) override {
        calls.push_back("closeFile " + hex(file));
        openFile_ = nullptr;
        return openHandles_.erase(file) == 1 ? 1 : 0;
    }
    std::int32_t StormCloseArchive(std::uint32_t archive) override {
        calls.push_back("closeArchive " + hex(archive));
        openArchive_ = nullptr;
        return openHandles_.erase(archive) == 1 ? 1 : 0;
    }

    // Whether every handle handed out has been closed again.
    bool allClosed() const { return openHandles_.empty(); }

    static std::string hex(std::uint32_t v) {
        char text[16];
        std::snprintf(text, sizeof text, "%#x", v);
        return text;
    }

  private:
    std::map<std::string, FakeInnerFile>* openArchive_ = nullptr;
    FakeInnerFile* openFile_ = nullptr;
    std::set<std::uint32_t> openHandles_;
};

} // namespace quorvell::testing
