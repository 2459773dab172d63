// How the companion scanner writes rows: cells separated by TAB, one row per line,
// backslash, TAB, LF and CR escaped inside a cell; every other byte as it is.
#pragma once

#include "scan/ResultSink.h"

#include <iosfwd>
#include <string>
#include <string_view>

namespace quorvell::tools {

std::string escapeCell(std::string_view cell);

// A sink that prints every appended row, each line prefixed with `prefix` when it is
// not empty (the input's name and a TAB). Cells go through `convert` first when set.
class PrintingSink : public ResultSink {
public:
    using Convert = std::string (*)(std::string_view);
    PrintingSink(std::ostream& out, std::string prefix, Convert convert = nullptr)
        : out_(out), prefix_(std::move(prefix)), convert_(convert) {}

    void clearRows() override {}
    void appendRow(const ResultRow& row) override;

private:
    std::ostream& out_;
    std::string prefix_;
    Convert convert_;
};

} // namespace quorvell::tools
