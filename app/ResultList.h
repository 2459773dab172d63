// 超级列表框1, the result list: a report-view list control that the scan fills through
// ResultSink and that answers the copy command's queries. Rows go in and come out as
// ANSI text exactly as the scan made them.
#pragma once

#include "scan/ResultSink.h"
#include "scan/Text.h"

#include <windows.h>

#include <cstdint>

namespace quorvell {

class ResultList final : public ResultSink {
  public:
    ResultList() = default;
    ResultList(const ResultList&) = delete;
    ResultList& operator=(const ResultList&) = delete;

    // Creates the list control as a child of `parent` with its styles, colours, font
    // and three columns, hidden; false when the control cannot be made.
    bool create(HWND parent, HINSTANCE instance, int controlId);
    HWND handle() const { return list_; }

    void clearRows() override;
    // Inserts after the last row with column 0, then sets columns 1 and 2; a row the
    // list refuses is left out silently.
    void appendRow(const ResultRow& row) override;

    // The first selected row, or -1.
    std::int32_t selectedRow() const;
    // The whole text of one cell; the empty text when the list gives none.
    Text cellText(std::int32_t row, std::int32_t column) const;

  private:
    HWND list_ = nullptr; // a child window: destroyed with its parent
};

} // namespace quorvell
