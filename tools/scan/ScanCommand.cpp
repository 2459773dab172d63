#include "tools/scan/ScanCommand.h"

#include "scan/ChatCommandExtractor.h"
#include "tools/scan/RowFormat.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <ostream>

namespace quorvell::tools {

namespace {

const char kUsage[] =
    "usage: quorvell-scan --text FILE...\n"
    "  Lists the chat commands a trigger script registers, one row per line:\n"
    "  player, TAB, command, TAB, match flag. With several FILEs each line starts\n"
    "  with the FILE's name and a TAB.\n"
    "  --text FILE   FILE holds a script already in the ANSI code page\n";

enum class InputKind { ansiText };

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

} // namespace

int runScanCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::optional<InputKind> kind;
    std::vector<std::string> inputs;
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg == "--text") {
            kind = InputKind::ansiText;
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
    if (!kind || inputs.empty()) {
        err << kUsage;
        return 2;
    }

    int status = 0;
    for (const std::string& input : inputs) {
        const auto bytes = readWholeFile(input);
        if (!bytes) {
            err << "quorvell-scan: cannot read '" << input << "'\n";
            status = 1;
            continue;
        }
        PrintingSink sink(out, inputs.size() > 1 ? input + '\t' : std::string());
        ChatCommandExtractor::extractChatCommands(Text(std::string_view(*bytes)), sink);
    }
    out.flush();
    return status;
}

} // namespace quorvell::tools
