#include "tools/scan/RowFormat.h"

#include <ostream>

namespace quorvell::tools {

std::string escapeCell(std::string_view cell) {
    std::string out;
    out.reserve(cell.size());
    for (const char c : cell) {
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default: out += c; break;
        }
    }
    return out;
}

void PrintingSink::appendRow(const ResultRow& row) {
    std::string line = prefix_;
    const Text* cells[] = {&row.playerLabel, &row.command, &row.matchFlag};
    for (std::size_t i = 0; i < 3; ++i) {
        if (i > 0) {
            line += '\t';
        }
        line += escapeCell(convert_ ? convert_(cells[i]->view()) : cells[i]->bytes());
    }
    line += '\n';
    out_ << line;
}

} // namespace quorvell::tools
