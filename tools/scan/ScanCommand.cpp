#include "tools/scan/ScanCommand.h"

#include "map/MapArchiveReader.h"
#include "map/ScriptTranscoder.h"
#include "map/StormApi.h"
#include "scan/ChatCommandExtractor.h"
#include "scan/ScanDriver.h"
#include "tools/scan/RowFormat.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>

namespace quorvell::tools {

namespace {

const char kUsage[] =
    "usage: quorvell-scan [--utf8] MAP...\n"
    "       quorvell-scan [--utf8] --script FILE...\n"
    "       quorvell-scan [--utf8] --text FILE...\n"
    "  Lists the chat commands a map's trigger script registers, one row per line:\n"
    "  player, TAB, command, TAB, match flag. With several inputs each line starts\n"
    "  with the input's name and a TAB.\n"
    "  MAP           a map archive, scanned as a map dropped on the window is: its\n"
    "                \"war3map.j\", or \"scripts\\war3map.j\" when that is empty; a file\n"
    "                that is no map, or holds no script, gives no rows\n"
    "  --script FILE FILE holds a script as a map stores it (UTF-8)\n"
    "  --text FILE   FILE holds a script already in the ANSI code page\n"
    "  --utf8        print the cells as UTF-8 instead of the ANSI code page's bytes\n"
    "Exit status: 0 done (also without rows), 1 an input file could not be read,\n"
    "2 usage error.\n";

enum class InputKind { map, utf8Script, ansiText };

std::optional<std::string> readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        return std::nullopt;
    }
    return bytes;
}

// Whether the file can be opened and read from: all a map needs before the scan, which
// itself tells nothing apart (a folder, for one, cannot be read as a file).
bool isReadableFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    in.peek();
    return !in.bad() && !in.fail();
}

std::string toUtf8(std::string_view ansi) {
    return ansiToUtf8(ansi);
}

} // namespace

int runScanCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return runScanCommand(args, out, err, systemStormApi());
}

int runScanCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   StormApi& api) {
    InputKind kind = InputKind::map;
    bool kindGiven = false;
    bool utf8 = false;
    std::vector<std::string> inputs;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "--text" || arg == "--script")) {
            const InputKind chosen = arg == "--text" ? InputKind::ansiText : InputKind::utf8Script;
            if (kindGiven && chosen != kind) {
                err << "quorvell-scan: --text and --script exclude each other\n" << kUsage;
                return 2;
            }
            kind = chosen;
            kindGiven = true;
        } else if (!optionsEnded && arg == "--utf8") {
            utf8 = true;
        } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            out << kUsage;
            return 0;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            err << "quorvell-scan: unknown option '" << arg << "'\n" << kUsage;
            return 2;
        } else {
            inputs.push_back(arg);
        }
    }
    if (inputs.empty()) {
        err << kUsage;
        return 2;
    }

    MapArchiveReader reader(api);
    int status = 0;
    for (const std::string& input : inputs) {
        PrintingSink sink(out, inputs.size() > 1 ? input + '\t' : std::string(),
                          utf8 ? &toUtf8 : nullptr);
        if (kind == InputKind::map) {
            if (!isReadableFile(input)) {
                err << "quorvell-scan: cannot read '" << input << "'\n";
                status = 1;
                continue;
            }
            ScanDriver(reader, sink).scanMapFile(Text(std::string_view(input)));
            continue;
        }
        const auto bytes = readWholeFile(input);
        if (!bytes) {
            err << "quorvell-scan: cannot read '" << input << "'\n";
            status = 1;
            continue;
        }
        if (kind == InputKind::utf8Script) {
            const Text script = ScriptTranscoder::transcodeScript(ByteBuffer::fromBytes(*bytes));
            ChatCommandExtractor::extractChatCommands(script, sink);
        } else {
            ChatCommandExtractor::extractChatCommands(Text(std::string_view(*bytes)), sink);
        }
    }
    out.flush();
    return status;
}

} // namespace quorvell::tools
