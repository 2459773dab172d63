// Chat-command extraction over generated scripts, in bytes per second.
//   WorldEditor: a World-Editor-like script with a registration every ~40 lines
//   OneThenRest: one registration followed by the rest of the script
//   BackToBack:  50,000 and 200,000 registrations one after the other
//   TwoByte:     a script that is mostly two-byte characters
// The others run at 4 MiB and 16 MiB: time linear in size means the 16 MiB run takes at
// most 4.5 times the 4 MiB one.
#include "scan/ChatCommandExtractor.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

using quorvell::ChatCommandExtractor;
using quorvell::ResultRow;
using quorvell::Text;

class CountingSink : public quorvell::ResultSink {
public:
    void clearRows() override { rows = 0; }
    void appendRow(const ResultRow& row) override {
        ++rows;
        benchmark::DoNotOptimize(row.command.data());
    }
    std::size_t rows = 0;
};

const char* const kFiller[] = {
    "    call DisplayTextToForce( GetPlayersAll(), \"TRIGSTR_0123\" )\r\n",
    "    set udg_Counter = ( udg_Counter + 1 )\r\n",
    "    if ( not ( GetUnitTypeId(GetTriggerUnit()) == 'h000' ) ) then\r\n",
    "        return false\r\n",
    "    endif\r\n",
    "    call SetUnitPositionLoc( GetTriggerUnit(), GetRectCenter(gg_rct_Arena) )\r\n",
    "    call CreateNUnitsAtLoc( 1, 'hfoo', Player(0), GetRectCenter(GetPlayableMapRect()), bj_UNIT_FACING )\r\n",
    "endfunction\r\n",
    "\r\n",
    "function Trig_Spawn_Actions takes nothing returns nothing\r\n",
};

std::string registration(int i, bool chinese) {
    std::string command = chinese ? "\xB2\xE2\xCA\xD4" + std::to_string(i) : "-cmd" + std::to_string(i);
    return "    call TriggerRegisterPlayerChatEvent( gg_trg_Cmd" + std::to_string(i) + ", Player(" +
           std::to_string(i % 12) + "), \"" + command + "\", " + (i % 2 ? "true" : "false") + " )\r\n";
}

std::string worldEditorScript(std::size_t size) {
    std::string s;
    s.reserve(size + 256);
    for (int line = 0; s.size() < size; ++line) {
        if (line % 40 == 39) {
            s += "    set gg_trg_Cmd = CreateTrigger(  )\r\n";
            s += registration(line, false);
            s += "    call TriggerAddAction( gg_trg_Cmd, function Trig_Cmd_Actions )\r\n";
        } else {
            s += kFiller[line % 10];
        }
    }
    return s;
}

std::string oneThenRest(std::size_t size) {
    std::string s = registration(0, false);
    s.reserve(size + 256);
    for (int line = 0; s.size() < size; ++line) {
        s += kFiller[line % 10];
    }
    return s;
}

std::string backToBack(std::size_t count) {
    std::string s;
    for (int i = 0; static_cast<std::size_t>(i) < count; ++i) {
        s += registration(i, false);
    }
    return s;
}

std::string twoByte(std::size_t size) {
    // GBK text: comments and messages written in Chinese.
    const std::string chinese = "\xD5\xE2\xCA\xC7\xD2\xBB\xB8\xF6\xB2\xE2\xCA\xD4\xB5\xD8\xCD\xBC\xA3\xAC"
                                "\xC7\xEB\xCA\xE4\xC8\xEB\xC3\xFC\xC1\xEE\xA1\xA3";
    std::string s;
    s.reserve(size + 512);
    for (int line = 0; s.size() < size; ++line) {
        if (line % 40 == 39) {
            s += registration(line, true);
        } else if (line % 2) {
            s += "// " + chinese + chinese + chinese + chinese + "\r\n";
        } else {
            s += "    call DisplayTextToPlayer( p, 0, 0, \"" + chinese + chinese + chinese + "\" )\r\n";
        }
    }
    return s;
}

template <std::string (*Make)(std::size_t)>
void BM_Extract(benchmark::State& state) {
    const Text script(Make(static_cast<std::size_t>(state.range(0))));
    CountingSink sink;
    for (auto _ : state) {
        ChatCommandExtractor::extractChatCommands(script, sink);
        benchmark::DoNotOptimize(sink.rows);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * script.length());
    state.counters["rows"] = static_cast<double>(sink.rows);
}

constexpr std::int64_t kMiB = 1 << 20;
BENCHMARK(BM_Extract<worldEditorScript>)->Name("WorldEditor")->Arg(4 * kMiB)->Arg(16 * kMiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Extract<oneThenRest>)->Name("OneThenRest")->Arg(4 * kMiB)->Arg(16 * kMiB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Extract<backToBack>)->Name("BackToBack")->Arg(50000)->Arg(200000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Extract<twoByte>)->Name("TwoByte")->Arg(4 * kMiB)->Arg(16 * kMiB)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
