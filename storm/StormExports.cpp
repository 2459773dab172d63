// The entry points over the archive reader. Handles are small ids from one counter
// shared by archives and files, so neither kind is ever taken for the other, and an
// id is never handed out twice in a run.
#include "storm/StormExports.h"

#include "storm/Archive.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

namespace storm {
namespace {

struct OpenFile {
    Handle archive = 0;
    std::vector<std::uint8_t> content;
    std::size_t position = 0;
};

struct Registry {
    std::mutex lock;
    Handle lastHandle = 0;
    std::uint32_t locale = 0;
    std::map<Handle, std::shared_ptr<const Archive>> archives;
    std::map<Handle, OpenFile> files;

    // The next unused id; 0 when the id space is exhausted.
    Handle nextHandle() {
        if (lastHandle == 0xFFFFFFFFu) {
            return 0;
        }
        return ++lastHandle;
    }
};

Registry& registry() {
    static Registry* instance = new Registry; // lives until the process ends
    return *instance;
}

} // namespace

std::int32_t stormPrepare() {
    return 1;
}

std::uint32_t stormSetLocale(std::uint32_t locale) {
    Registry& r = registry();
    std::lock_guard guard(r.lock);
    const std::uint32_t previous = r.locale;
    r.locale = locale;
    return previous;
}

std::int32_t stormOpenArchive(const char* path, std::uint32_t, std::uint32_t, Handle* archive) {
    if (archive != nullptr) {
        *archive = 0;
    }
    if (path == nullptr || archive == nullptr) {
        return 0;
    }
    try {
        auto opened = Archive::open(path);
        if (!opened) {
            return 0;
        }
        auto shared = std::make_shared<const Archive>(std::move(*opened));
        Registry& r = registry();
        std::lock_guard guard(r.lock);
        const Handle handle = r.nextHandle();
        if (handle == 0) {
            return 0;
        }
        r.archives.emplace(handle, std::move(shared));
        *archive = handle;
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

std::int32_t stormOpenFile(Handle archive, const char* name, std::uint32_t, Handle* file) {
    if (file != nullptr) {
        *file = 0;
    }
    if (name == nullptr || file == nullptr) {
        return 0;
    }
    try {
        Registry& r = registry();
        std::shared_ptr<const Archive> source;
        std::uint16_t locale = 0;
        {
            std::lock_guard guard(r.lock);
            const auto found = r.archives.find(archive);
            if (found == r.archives.end()) {
                return 0;
            }
            source = found->second;
            locale = static_cast<std::uint16_t>(r.locale);
        }
        auto content = source->readFile(name, locale);
        if (!content) {
            return 0;
        }
        std::lock_guard guard(r.lock);
        if (r.archives.find(archive) == r.archives.end()) {
            return 0; // closed meanwhile
        }
        const Handle handle = r.nextHandle();
        if (handle == 0) {
            return 0;
        }
        r.files.emplace(handle, OpenFile{archive, std::move(*content), 0});
        *file = handle;
        return 1;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

std::uint32_t stormGetFileSize(Handle file, std::uint32_t* sizeHigh) {
    if (sizeHigh != nullptr) {
        *sizeHigh = 0;
    }
    Registry& r = registry();
    std::lock_guard guard(r.lock);
    const auto found = r.files.find(file);
    if (found == r.files.end()) {
        return 0xFFFFFFFFu;
    }
    return static_cast<std::uint32_t>(found->second.content.size());
}

std::int32_t stormReadFile(Handle file, void* dest, std::uint32_t count, std::uint32_t* bytesRead,
                           void*) {
    if (bytesRead != nullptr) {
        *bytesRead = 0;
    }
    Registry& r = registry();
    std::lock_guard guard(r.lock);
    const auto found = r.files.find(file);
    if (found == r.files.end()) {
        return 0;
    }
    if (dest == nullptr) {
        return count == 0 ? 1 : 0;
    }
    OpenFile& f = found->second;
    const std::size_t left = f.content.size() - f.position;
    const std::size_t stored = std::min<std::size_t>(count, left);
    if (stored > 0) {
        std::memcpy(dest, f.content.data() + f.position, stored);
    }
    f.position += stored;
    if (bytesRead != nullptr) {
        *bytesRead = static_cast<std::uint32_t>(stored);
    }
    return stored == count ? 1 : 0;
}

std::int32_t stormCloseFile(Handle file) {
    Registry& r = registry();
    std::lock_guard guard(r.lock);
    return r.files.erase(file) == 1 ? 1 : 0;
}

std::int32_t stormCloseArchive(Handle archive) {
    Registry& r = registry();
    std::lock_guard guard(r.lock);
    if (r.archives.erase(archive) != 1) {
        return 0;
    }
    std::erase_if(r.files,
                  [archive](const auto& entry) { return entry.second.archive == archive; });
    return 1;
}

} // namespace storm
