// Our Storm.dll as the program meets it: loaded by name, its eight entry points bound
// by ordinal, a real map read through them.
#include "tests/storm/Sha256.h"
#include "tests/support/TestPaths.h"

#include "storm/StormDllTypes_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using storm::dll::CloseFn;
using storm::dll::GetFileSizeFn;
using storm::dll::OpenArchiveFn;
using storm::dll::OpenFileFn;
using storm::dll::PrepareFn;
using storm::dll::ReadFileFn;
using storm::dll::SetLocaleFn;

template <typename Fn> Fn bind(HMODULE module, unsigned ordinal) {
    const FARPROC address = GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(address));
}

struct Storm {
    HMODULE module = nullptr;
    PrepareFn prepare = nullptr;
    SetLocaleFn setLocale = nullptr;
    OpenArchiveFn openArchive = nullptr;
    OpenFileFn openFile = nullptr;
    GetFileSizeFn getFileSize = nullptr;
    ReadFileFn readFile = nullptr;
    CloseFn closeFile = nullptr;
    CloseFn closeArchive = nullptr;
};

// The test program sits in <build>/tests/storm, the library in <build>/storm: let the
// loader look there, then load it by name as the program does.
Storm loadStorm() {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string dir(self);
    dir.resize(dir.find_last_of("\\/") + 1);
    SetDllDirectoryA((dir + "..\\..\\storm").c_str());
    Storm s;
    s.module = LoadLibraryA("Storm.dll");
    SetDllDirectoryA(nullptr);
    if (s.module == nullptr) {
        return s;
    }
    s.prepare = bind<PrepareFn>(s.module, 262);
    s.setLocale = bind<SetLocaleFn>(s.module, 272);
    s.openArchive = bind<OpenArchiveFn>(s.module, 266);
    s.openFile = bind<OpenFileFn>(s.module, 268);
    s.getFileSize = bind<GetFileSizeFn>(s.module, 265);
    s.readFile = bind<ReadFileFn>(s.module, 269);
    s.closeFile = bind<CloseFn>(s.module, 253);
    s.closeArchive = bind<CloseFn>(s.module, 252);
    return s;
}

class StormDllTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { storm_ = loadStorm(); }
    static void TearDownTestSuite() {
        if (storm_.module != nullptr) {
            FreeLibrary(storm_.module);
        }
    }
    void SetUp() override { ASSERT_NE(storm_.module, nullptr) << "Storm.dll did not load"; }
    static Storm storm_;
};

Storm StormDllTest::storm_;

TEST_F(StormDllTest, ExportsTheEightOrdinalsAndNoNames) {
    EXPECT_NE(storm_.prepare, nullptr);
    EXPECT_NE(storm_.setLocale, nullptr);
    EXPECT_NE(storm_.openArchive, nullptr);
    EXPECT_NE(storm_.openFile, nullptr);
    EXPECT_NE(storm_.getFileSize, nullptr);
    EXPECT_NE(storm_.readFile, nullptr);
    EXPECT_NE(storm_.closeFile, nullptr);
    EXPECT_NE(storm_.closeArchive, nullptr);
    EXPECT_EQ(GetProcAddress(storm_.module, "StormOpenArchive"), nullptr);
    EXPECT_EQ(GetProcAddress(storm_.module, MAKEINTRESOURCEA(267)), nullptr);
}

TEST_F(StormDllTest, FailuresAreReportedAsZero) {
    std::uint32_t handle = 55;
    EXPECT_EQ(storm_.openArchive("C:\\no\\such\\map.w3x", 0, 0, &handle), 0);
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(storm_.openFile(12345, "war3map.j", 0, &handle), 0);
    EXPECT_EQ(storm_.getFileSize(12345, nullptr), 0xFFFFFFFFu);
    EXPECT_EQ(storm_.readFile(12345, nullptr, 0, nullptr, nullptr), 0);
    EXPECT_EQ(storm_.closeFile(12345), 0);
    EXPECT_EQ(storm_.closeArchive(12345), 0);
}

struct MapCase {
    const char* file;
    const char* scriptSha256;
};

TEST_F(StormDllTest, ReadsRealMapsAsTheProgramDoes) {
    const auto maps = quorvell::testing::sharedMapsDir();
    if (!maps) {
        GTEST_SKIP() << "skipped: the real maps (../shared/maps) are not present";
    }
    // A plain zlib map, a map with a decoy header and forged fields, an encrypted script.
    const MapCase cases[] = {
        {"10_ExampleMap203.w3x",
         "d0a5d6315475fca2c716fee572182d55f04dd0df9c728c6e89f9cc1a97f43614"},
        {"14_JMPQ3_spazzledMap.w3x",
         "1e26cb1b911e2a3b3c633264f1c232dee85d03838896f745a3e73b7c9ed236f5"},
        {"24_DWC_dwc65opt.w3x", "d20d824d5854466159915b47923827d23ab366134541da6c3fa59ac5aad4457f"},
    };
    for (const MapCase& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = (*maps / c.file).string();
        storm_.prepare();
        storm_.setLocale(1033);
        std::uint32_t mpq = 0;
        ASSERT_NE(storm_.openArchive(path.c_str(), 0, 0, &mpq), 0);
        ASSERT_NE(mpq, 0u);
        std::uint32_t file = 0;
        ASSERT_NE(storm_.openFile(mpq, "war3map.j", 0, &file), 0);
        std::uint32_t high = 9;
        const std::uint32_t size = storm_.getFileSize(file, &high);
        EXPECT_EQ(high, 0u);
        ASSERT_GT(size, 0u);
        std::vector<std::uint8_t> buffer(size, 0);
        std::uint32_t read = 0;
        EXPECT_NE(storm_.readFile(file, buffer.data(), size, &read, nullptr), 0);
        EXPECT_EQ(read, size);
        EXPECT_EQ(quorvell::testing::sha256Hex(buffer.data(), buffer.size()), c.scriptSha256);
        // Nothing is stored through a null destination.
        EXPECT_EQ(storm_.readFile(file, nullptr, size, nullptr, nullptr), 0);
        EXPECT_NE(storm_.closeFile(file), 0);
        EXPECT_NE(storm_.closeArchive(mpq), 0);
        EXPECT_EQ(storm_.closeArchive(mpq), 0);
    }
}

} // namespace
