// A stand-in archive library for tests of the DLL binding: it exports the eight entry
// points by ordinal (see the .def files), simulates one archive and logs every call.
// Any path opens as an archive except one containing "missing"; it holds the one inner
// file "war3map.j" with the bytes "hello".
#include <cstdint>
#include <cstring>
#include <string>

namespace {
std::string callLog;
constexpr char kContent[] = "hello";
} // namespace

extern "C" {

__declspec(dllexport) const char* FakeStormCallLog() {
    return callLog.c_str();
}

std::int32_t __stdcall FakePrepare() {
    callLog += "prepare;";
    return 1;
}

std::uint32_t __stdcall FakeSetLocale(std::uint32_t locale) {
    callLog += "locale " + std::to_string(locale) + ";";
    return 0;
}

std::int32_t __stdcall FakeOpenArchive(const char* path, std::uint32_t, std::uint32_t,
                                       std::uint32_t* archive) {
    callLog += std::string("openArchive ") + path + ";";
    if (std::strstr(path, "missing") != nullptr) {
        *archive = 0;
        return 0;
    }
    *archive = 0x11;
    return 1;
}

std::int32_t __stdcall FakeOpenFile(std::uint32_t archive, const char* name, std::uint32_t,
                                    std::uint32_t* file) {
    callLog += std::string("openFile ") + name + ";";
    if (archive != 0x11 || std::strcmp(name, "war3map.j") != 0) {
        *file = 0;
        return 0;
    }
    *file = 0x22;
    return 1;
}

std::uint32_t __stdcall FakeGetFileSize(std::uint32_t file, std::uint32_t* sizeHigh) {
    callLog += "size;";
    if (sizeHigh != nullptr) {
        *sizeHigh = 0;
    }
    return file == 0x22 ? sizeof kContent - 1 : 0xFFFFFFFFu;
}

std::int32_t __stdcall FakeReadFile(std::uint32_t file, void* dest, std::uint32_t count,
                                    std::uint32_t* bytesRead, void*) {
    callLog += "read " + std::to_string(count) + ";";
    std::uint32_t n = 0;
    if (file == 0x22 && dest != nullptr) {
        n = count < sizeof kContent - 1 ? count : sizeof kContent - 1;
        std::memcpy(dest, kContent, n);
    }
    if (bytesRead != nullptr) {
        *bytesRead = n;
    }
    return n == count ? 1 : 0;
}

std::int32_t __stdcall FakeCloseFile(std::uint32_t) {
    callLog += "closeFile;";
    return 1;
}

std::int32_t __stdcall FakeCloseArchive(std::uint32_t) {
    callLog += "closeArchive;";
    return 1;
}

} // extern "C"
