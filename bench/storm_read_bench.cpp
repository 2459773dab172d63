// Reading the largest real script (17 MB, zlib) out of its map: our reader against
// the system's StormLib, side by side; and opening and closing the map.
#include "storm/StormExports.h"

#include "tests/support/TestPaths.h"

#include <StormLib.h>
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

const char* const mapName = "23_DWC_dwc65.w3x";

std::string mapPath() {
    const auto dir = quorvell::testing::sharedMapsDir();
    return dir ? (*dir / mapName).string() : std::string();
}

bool skipWithoutMap(benchmark::State& state, const std::string& path) {
    if (path.empty()) {
        state.SkipWithError("skipped: the real maps (../shared/maps) are not present");
        return true;
    }
    return false;
}

void BM_OursReadScript(benchmark::State& state) {
    const std::string path = mapPath();
    if (skipWithoutMap(state, path)) {
        return;
    }
    std::vector<std::uint8_t> buffer;
    for (auto _ : state) {
        storm::Handle mpq = 0;
        storm::Handle file = 0;
        if (!storm::stormOpenArchive(path.c_str(), 0, 0, &mpq) ||
            !storm::stormOpenFile(mpq, "war3map.j", 0, &file)) {
            state.SkipWithError("our reader could not read the script");
            return;
        }
        const std::uint32_t size = storm::stormGetFileSize(file, nullptr);
        buffer.assign(size, 0);
        storm::stormReadFile(file, buffer.data(), size, nullptr, nullptr);
        benchmark::DoNotOptimize(buffer.data());
        storm::stormCloseFile(file);
        storm::stormCloseArchive(mpq);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(buffer.size()));
}

void BM_StormLibReadScript(benchmark::State& state) {
    const std::string path = mapPath();
    if (skipWithoutMap(state, path)) {
        return;
    }
    std::vector<std::uint8_t> buffer;
    for (auto _ : state) {
        HANDLE mpq = nullptr;
        HANDLE file = nullptr;
        if (!SFileOpenArchive(path.c_str(), 0, MPQ_OPEN_READ_ONLY, &mpq) ||
            !SFileOpenFileEx(mpq, "war3map.j", SFILE_OPEN_FROM_MPQ, &file)) {
            state.SkipWithError("StormLib could not read the script");
            return;
        }
        const DWORD size = SFileGetFileSize(file, nullptr);
        buffer.assign(size, 0);
        DWORD read = 0;
        SFileReadFile(file, buffer.data(), size, &read, nullptr);
        benchmark::DoNotOptimize(buffer.data());
        SFileCloseFile(file);
        SFileCloseArchive(mpq);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(buffer.size()));
}

void BM_OursOpenClose1000(benchmark::State& state) {
    const std::string path = mapPath();
    if (skipWithoutMap(state, path)) {
        return;
    }
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            storm::Handle mpq = 0;
            storm::stormOpenArchive(path.c_str(), 0, 0, &mpq);
            storm::stormCloseArchive(mpq);
        }
    }
}

void BM_StormLibOpenClose1000(benchmark::State& state) {
    const std::string path = mapPath();
    if (skipWithoutMap(state, path)) {
        return;
    }
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            HANDLE mpq = nullptr;
            SFileOpenArchive(path.c_str(), 0, MPQ_OPEN_READ_ONLY, &mpq);
            SFileCloseArchive(mpq);
        }
    }
}

} // namespace

BENCHMARK(BM_OursReadScript)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_StormLibReadScript)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_OursOpenClose1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StormLibOpenClose1000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
