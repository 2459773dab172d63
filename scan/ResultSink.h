// What the scan hands its results to: the rows of the result list.
#pragma once

#include "scan/Text.h"

namespace quorvell {

// One row of the result list, cells in column order ("玩家", "命令", "匹配").
struct ResultRow {
    Text playerLabel;
    Text command;
    Text matchFlag;

    friend bool operator==(const ResultRow&, const ResultRow&) = default;
};

class ResultSink {
public:
    virtual ~ResultSink() = default;
    // Removes every row.
    virtual void clearRows() = 0;
    // Adds one row after all existing rows.
    virtual void appendRow(const ResultRow& row) = 0;

protected:
    ResultSink() = default;
    ResultSink(const ResultSink&) = default;
    ResultSink& operator=(const ResultSink&) = default;
};

} // namespace quorvell
