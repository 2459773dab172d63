// Every named inner file of every real map, read by our reader and live by the
// system's StormLib: wherever StormLib reads a file, ours must give the same bytes.
#include "storm/Archive.h"

#include "tests/support/TestPaths.h"

#include <StormLib.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

std::optional<Bytes> readWithStormLib(HANDLE mpq, const char* name) {
    HANDLE file = nullptr;
    if (!SFileOpenFileEx(mpq, name, SFILE_OPEN_FROM_MPQ, &file)) {
        return std::nullopt;
    }
    const DWORD size = SFileGetFileSize(file, nullptr);
    std::optional<Bytes> out;
    if (size != SFILE_INVALID_SIZE && size > 0) {
        Bytes bytes(size);
        DWORD read = 0;
        if (SFileReadFile(file, bytes.data(), size, &read, nullptr) && read == size) {
            out = std::move(bytes);
        }
    }
    SFileCloseFile(file);
    return out;
}

// Names StormLib makes up for blocks it has no name for ("File00000012.xxx"): they
// are no names the archive knows.
bool isMadeUpName(const std::string& name) {
    return name.rfind("File0", 0) == 0 && name.size() == 16 && name[12] == '.';
}

TEST(RealMapsStormLib, EveryNamedFileEqualsStormLibsRead) {
    const auto dir = quorvell::testing::sharedMapsDir();
    if (!dir) {
        GTEST_SKIP() << "skipped: the real maps (../shared/maps) are not present";
    }
    int compared = 0;
    for (const auto& entry : std::filesystem::directory_iterator(*dir)) {
        if (entry.path().extension() == ".tsv") {
            continue;
        }
        SCOPED_TRACE(entry.path().filename().string());
        HANDLE mpq = nullptr;
        if (!SFileOpenArchive(entry.path().c_str(), 0, MPQ_OPEN_READ_ONLY, &mpq)) {
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        const auto ours = storm::Archive::fromBytes(
            Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
        ASSERT_TRUE(ours.has_value());
        SFILE_FIND_DATA found;
        HANDLE find = SFileFindFirstFile(mpq, "*", &found, nullptr);
        for (bool more = find != nullptr; more; more = SFileFindNextFile(find, &found)) {
            const std::string name = found.cFileName;
            if (isMadeUpName(name)) {
                continue;
            }
            const auto theirs = readWithStormLib(mpq, name.c_str());
            if (!theirs) {
                continue;
            }
            SCOPED_TRACE(name);
            const auto mine = ours->readFile(name, 0);
            ASSERT_TRUE(mine.has_value());
            EXPECT_TRUE(*mine == *theirs);
            ++compared;
        }
        if (find != nullptr) {
            SFileFindClose(find);
        }
        SFileCloseArchive(mpq);
    }
    EXPECT_GT(compared, 500);
}

} // namespace
