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
#include <span>
#include <string>
#include <vector>

namespace storm {
namespace {

// An open inner file. A file with one candidate entry is decoded when it is read, and
// straight into the caller's buffer when the read takes it whole; with several
// candidates the first that decodes is chosen, and kept, when the file is opened.
struct OpenFile {
    Handle archive = 0;
    std::shared_ptr<const Archive> source; // set while the file is still to be decoded
    std::uint32_t entry = 0;
    std::string name;
    std::uint32_t size = 0;
    bool failed = false; // a decode was tried and did not succeed
    std::vector<std::uint8_t> content;
    std::size_t position = 0;

    // Decodes into `content` if that has not happened yet; false when it does not decode.
    bool decodeToContent() {
        if (source) {
            content.resize(size);
            failed = !source->decode(entry, name, content);
            source.reset();
            if (failed) {
                content.clear();
            }
        }
        return !failed;
    }
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
        OpenFile opened{archive, nullptr, 0, std::string(), 0, false, {}, 0};
        const auto candidates = source->candidates(name, locale);
        if (candidates.size() == 1) {
            if (!source->locatable(candidates[0], name)) {
                return 0;
            }
            opened.source = source;
            opened.entry = candidates[0];
            opened.name = name;
            opened.size = source->fileSize(candidates[0]);
        } else {
            auto content = source->readFile(name, locale);
            if (!content) {
                return 0;
            }
            opened.size = static_cast<std::uint32_t>(content->size());
            opened.content = std::move(*content);
        }
        std::lock_guard guard(r.lock);
        if (r.archives.find(archive) == r.archives.end()) {
            return 0; // closed meanwhile
        }
        const Handle handle = r.nextHandle();
        if (handle == 0) {
            return 0;
        }
        r.files.emplace(handle, std::move(opened));
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
    return found->second.size;
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
    try {
        if (f.source && f.position == 0 && count >= f.size) {
            // The whole file in one read: decode it where the caller wants it.
            const bool decoded = f.source->decode(f.entry, f.name,
                                                  std::span(static_cast<std::uint8_t*>(dest), f.size));
            f.source.reset();
            if (!decoded) {
                f.failed = true;
                std::memset(dest, 0, f.size); // nothing of a failed decode is left behind
                return 0;
            }
            f.position = f.size;
            if (bytesRead != nullptr) {
                *bytesRead = f.size;
            }
            return count == f.size ? 1 : 0;
        }
        if (!f.decodeToContent()) {
            return 0;
        }
    } catch (const std::bad_alloc&) {
        return 0;
    }
    const std::size_t left = f.size - f.position;
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
