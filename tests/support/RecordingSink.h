// A ResultSink that records what it is told, for tests.
#pragma once

#include "scan/ResultSink.h"

#include <vector>

namespace quorvell::testing {

class RecordingSink : public ResultSink {
public:
    void clearRows() override {
        ++clears;
        rows.clear();
    }
    void appendRow(const ResultRow& row) override { rows.push_back(row); }

    int clears = 0;
    std::vector<ResultRow> rows;
};

} // namespace quorvell::testing
