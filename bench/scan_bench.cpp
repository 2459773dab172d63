// The whole scan of one large real map (../shared/maps/23_DWC_dwc65.w3x, a 17 MB
// script) by the native scanner, side by side with StormLib's bare extraction of the
// same script, plus the scan's stages on their own:
//   StormLibExtract  open the archive, read "war3map.j" whole, close (StormLib)
//   QuorvellScan     scanMapFile: read, transcode, extract (ours, in-process binding)
//   Stage/Read       readInnerFile of "war3map.j"
//   Stage/Transcode  transcodeScript of the bytes read
//   Stage/Extract    extractChatCommands of the transcoded text
// Goal: QuorvellScan at most 1.3 times StormLibExtract. Each of the two whole runs also
// reports its peak memory, measured in a fresh process of its own (this program started
// again with --peak-rss): peak_MiB is the peak resident set of that whole process, rise_MiB its
// rise over the process's start, limit_MiB the goal (5 times the script's size + 16 MiB). Run it
// from the checkout (the maps are found beside it) or set QUORVELL_MAPS_DIR.
//   QUORVELL_BENCH_MAP   another map to scan instead
#include "map/MapArchiveReader.h"
#include "map/ScriptTranscoder.h"
#include "map/StormApi.h"
#include "scan/ChatCommandExtractor.h"
#include "scan/ScanDriver.h"
#include "tests/support/TestPaths.h"

#include <StormLib.h>
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace quorvell;

class CountingSink : public ResultSink {
  public:
    void clearRows() override { rows = 0; }
    void appendRow(const ResultRow& row) override {
        ++rows;
        benchmark::DoNotOptimize(row.command.data());
    }
    std::size_t rows = 0;
};

std::string benchMap() {
    if (const char* map = std::getenv("QUORVELL_BENCH_MAP")) {
        return map;
    }
    const auto dir = testing::sharedMapsDir();
    return dir ? (*dir / "23_DWC_dwc65.w3x").string() : std::string();
}

// StormLib's extraction: the script's bytes, or nothing.
std::vector<char> stormLibExtract(const std::string& map) {
    std::vector<char> bytes;
    HANDLE archive = nullptr;
    if (!SFileOpenArchive(map.c_str(), 0, STREAM_FLAG_READ_ONLY, &archive)) {
        return bytes;
    }
    HANDLE file = nullptr;
    if (SFileOpenFileEx(archive, "war3map.j", 0, &file)) {
        bytes.resize(SFileGetFileSize(file, nullptr));
        DWORD read = 0;
        SFileReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
        bytes.resize(read);
        SFileCloseFile(file);
    }
    SFileCloseArchive(archive);
    return bytes;
}

std::size_t quorvellScan(const std::string& map) {
    MapArchiveReader reader(systemStormApi());
    CountingSink sink;
    ScanDriver(reader, sink).scanMapFile(Text(map));
    return sink.rows;
}

// The peak resident set of this process image so far (VmHWM), in KiB. Unlike
// getrusage's ru_maxrss it starts afresh at exec, so the parent's size does not count.
long peakRssKiB() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) {
        return -1;
    }
    char line[256];
    long kib = -1;
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, "VmHWM:", 6) == 0) {
            kib = std::atol(line + 6);
        }
    }
    std::fclose(status);
    return kib;
}

// Runs this program again as `--peak-rss WHICH MAP` and returns its peak resident set
// in KiB ("start peak"), or -1.
struct PeakRss {
    long startKiB;
    long peakKiB;
};

PeakRss peakRssOfFreshRun(const char* which, const std::string& map) {
    int fds[2];
    if (pipe(fds) != 0) {
        return {-1, -1};
    }
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        execl("/proc/self/exe", "scan_bench", "--peak-rss", which, map.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    char text[64] = {};
    const ssize_t n = read(fds[0], text, sizeof text - 1);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    long start = -1;
    long peak = -1;
    if (n <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        std::sscanf(text, "%ld %ld", &start, &peak) != 2) {
        return {-1, -1};
    }
    return {start, peak};
}

int peakRssChild(const char* which, const std::string& map) {
    const long before = peakRssKiB();
    std::size_t result = 0;
    if (std::strcmp(which, "stormlib") == 0) {
        result = stormLibExtract(map).size();
    } else {
        result = quorvellScan(map);
    }
    benchmark::DoNotOptimize(result);
    std::printf("%ld %ld\n", before, peakRssKiB());
    return 0;
}

bool haveMap(benchmark::State& state, const std::string& map) {
    if (map.empty() || access(map.c_str(), R_OK) != 0) {
        state.SkipWithError(
            "skipped: the shared maps folder (../shared/maps) or the map is absent");
        return false;
    }
    return true;
}

void reportMemory(benchmark::State& state, const char* which, const std::string& map,
                  std::size_t scriptSize) {
    const PeakRss rss = peakRssOfFreshRun(which, map);
    // The whole process's peak, and its rise over the process's size before the run.
    state.counters["peak_MiB"] = static_cast<double>(rss.peakKiB) / 1024.0;
    state.counters["rise_MiB"] = static_cast<double>(rss.peakKiB - rss.startKiB) / 1024.0;
    state.counters["limit_MiB"] = 5.0 * static_cast<double>(scriptSize) / (1024.0 * 1024.0) + 16.0;
    state.counters["script_MB"] = static_cast<double>(scriptSize) / 1e6;
}

void StormLibExtract(benchmark::State& state) {
    const std::string map = benchMap();
    if (!haveMap(state, map)) {
        return;
    }
    std::size_t size = 0;
    for (auto _ : state) {
        const std::vector<char> bytes = stormLibExtract(map);
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(size));
    reportMemory(state, "stormlib", map, size);
}

void QuorvellScan(benchmark::State& state) {
    const std::string map = benchMap();
    if (!haveMap(state, map)) {
        return;
    }
    std::size_t rows = 0;
    for (auto _ : state) {
        rows = quorvellScan(map);
        benchmark::DoNotOptimize(rows);
    }
    const std::size_t size = stormLibExtract(map).size();
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(size));
    state.counters["rows"] = static_cast<double>(rows);
    reportMemory(state, "quorvell", map, size);
}

void StageRead(benchmark::State& state) {
    const std::string map = benchMap();
    if (!haveMap(state, map)) {
        return;
    }
    MapArchiveReader reader(systemStormApi());
    std::int32_t length = 0;
    for (auto _ : state) {
        const ByteBuffer bytes = reader.readInnerFile(Text(map), "war3map.j");
        length = bytes.length();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * length);
}

void StageTranscode(benchmark::State& state) {
    const std::string map = benchMap();
    if (!haveMap(state, map)) {
        return;
    }
    MapArchiveReader reader(systemStormApi());
    const ByteBuffer bytes = reader.readInnerFile(Text(map), "war3map.j");
    for (auto _ : state) {
        const Text text = ScriptTranscoder::transcodeScript(bytes);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * bytes.length());
}

void StageExtract(benchmark::State& state) {
    const std::string map = benchMap();
    if (!haveMap(state, map)) {
        return;
    }
    MapArchiveReader reader(systemStormApi());
    const Text text =
        ScriptTranscoder::transcodeScript(reader.readInnerFile(Text(map), "war3map.j"));
    CountingSink sink;
    for (auto _ : state) {
        ChatCommandExtractor::extractChatCommands(text, sink);
        benchmark::DoNotOptimize(sink.rows);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * text.length());
}

BENCHMARK(StormLibExtract)->Unit(benchmark::kMillisecond);
BENCHMARK(QuorvellScan)->Unit(benchmark::kMillisecond);
BENCHMARK(StageRead)->Name("Stage/Read")->Unit(benchmark::kMillisecond);
BENCHMARK(StageTranscode)->Name("Stage/Transcode")->Unit(benchmark::kMillisecond);
BENCHMARK(StageExtract)->Name("Stage/Extract")->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--peak-rss") == 0) {
        return peakRssChild(argv[2], argv[3]);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
