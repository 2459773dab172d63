// The result list through the real list control: ResultSink, selectedRow, cellText.
#include "MainWindowFixture.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quorvell {
namespace {

class ResultListTest : public apptest::MainWindowFixture {
  protected:
    ResultList& list() { return window_.resultList(); }
    std::int32_t rowCount() {
        return static_cast<std::int32_t>(SendMessageW(list().handle(), LVM_GETITEMCOUNT, 0, 0));
    }
    void select(std::int32_t row) {
        LVITEMW state{};
        state.stateMask = LVIS_SELECTED;
        state.state = LVIS_SELECTED;
        SendMessageW(list().handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&state));
    }
    ResultRow rowAt(std::int32_t row) {
        return {list().cellText(row, 0), list().cellText(row, 1), list().cellText(row, 2)};
    }

};

// Text in this system's ANSI code page, as the scan makes it.
Text ansi(const wchar_t* wide) {
    const int n = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, -1, bytes.data(), n, nullptr, nullptr);
    return Text(std::string_view(bytes));
}

TEST_F(ResultListTest, AppendsInCallOrderAndClearsEverything) {
    const std::vector<ResultRow> rows = {
        {ansi(L"玩家1"), "-ar", "true"},
        {ansi(L"玩家2"), "  ", "false"},
        {ansi(L"玩家12"), ansi(L"-开始 \"x\""), "(true)"},
    };
    list().appendRow({"stale", "row", "x"});
    list().clearRows();
    EXPECT_EQ(rowCount(), 0);
    for (const ResultRow& row : rows) {
        list().appendRow(row);
    }
    ASSERT_EQ(rowCount(), 3);
    for (std::int32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(rowAt(i), rows[static_cast<std::size_t>(i)]) << "row " << i;
    }
    select(2);
    EXPECT_EQ(list().selectedRow(), 2);
    list().clearRows();
    EXPECT_EQ(rowCount(), 0);
    EXPECT_EQ(list().selectedRow(), -1) << "the selection goes with the rows";
}

TEST_F(ResultListTest, KeepsEqualRowsSideBySideAndNeverSorts) {
    const ResultRow rows[] = {{"b", "-z", "true"}, {"a", "-y", "true"}, {"b", "-z", "true"}};
    for (const ResultRow& row : rows) {
        list().appendRow(row);
    }
    ASSERT_EQ(rowCount(), 3);
    EXPECT_EQ(rowAt(0), rows[0]);
    EXPECT_EQ(rowAt(1), rows[1]);
    EXPECT_EQ(rowAt(2), rows[2]);
    // A click on a column header does not reorder the rows.
    NMLISTVIEW click{};
    click.hdr.hwndFrom = list().handle();
    click.hdr.idFrom = MainWindow::kResultListId;
    click.hdr.code = LVN_COLUMNCLICK;
    click.iItem = -1;
    click.iSubItem = 0;
    SendMessageW(window_.handle(), WM_NOTIFY, MainWindow::kResultListId,
                 reinterpret_cast<LPARAM>(&click));
    EXPECT_EQ(rowAt(0), rows[0]);
    EXPECT_EQ(rowAt(1), rows[1]);
}

TEST_F(ResultListTest, SelectedRowIsTheFirstSelectedOrMinusOne) {
    EXPECT_EQ(list().selectedRow(), -1) << "empty list";
    for (int i = 0; i < 4; ++i) {
        list().appendRow({"p", Text(std::to_string(i)), "true"});
    }
    EXPECT_EQ(list().selectedRow(), -1) << "nothing selected";
    select(0);
    EXPECT_EQ(list().selectedRow(), 0);
    select(3); // single selection: row 0 is deselected
    EXPECT_EQ(list().selectedRow(), 3);
}

TEST_F(ResultListTest, CellTextComesBackWholeAtEveryLength) {
    // Around the first buffer of 512 bytes and its doublings.
    for (const std::size_t length : {0u, 1u, 510u, 511u, 512u, 513u, 1023u, 1024u, 2000u, 5000u}) {
        list().clearRows();
        std::string command(length, 'c');
        for (std::size_t i = 0; i < length; i += 7) {
            command[i] = static_cast<char>('a' + static_cast<char>(i % 26));
        }
        list().appendRow({"p", Text(command), "true"});
        const Text got = list().cellText(0, 1);
        EXPECT_EQ(got.length(), static_cast<std::int32_t>(length));
        EXPECT_EQ(got, Text(command)) << "length " << length;
    }
}

TEST_F(ResultListTest, CellTextComesBackWholeWhenACharacterStraddlesTheBuffersEnd) {
    // Under a double-byte code page (936) these put a two-byte character across the
    // 511th and 512th bytes and across later buffer ends; under a single-byte one they
    // are plain long texts.
    for (const std::size_t lead : {0u, 1u, 2u, 3u}) {
        std::wstring wide(lead, L'a');
        for (int i = 0; i < 700; ++i) {
            wide += L'开';
        }
        const Text command = ansi(wide.c_str());
        list().clearRows();
        list().appendRow({"p", command, "true"});
        const Text got = list().cellText(0, 1);
        EXPECT_EQ(got.length(), command.length()) << "lead " << lead;
        EXPECT_EQ(got, command) << "lead " << lead;
    }
}

TEST_F(ResultListTest, CellTextGivesTheEmptyTextWhereThereIsNone) {
    list().appendRow({"p", "-go", "true"});
    const std::pair<std::int32_t, std::int32_t> cells[] = {{-1, 1}, {-1, 0}, {1, 1},
                                                           {5, 0},  {0, 3},  {0, -1}};
    for (const auto& [row, column] : cells) {
        EXPECT_EQ(list().cellText(row, column), Text()) << row << "," << column;
    }
    EXPECT_EQ(list().cellText(0, 1), Text("-go"));
}

// A list control that refuses every insert and records every text it is asked to set.
struct RefusingList {
    static inline WNDPROC original = nullptr;
    static inline int textsSet = 0;
    static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == LVM_INSERTITEMA || message == LVM_INSERTITEMW) {
            return -1;
        }
        if (message == LVM_SETITEMTEXTA || message == LVM_SETITEMTEXTW) {
            ++textsSet;
        }
        return CallWindowProcW(original, window, message, wParam, lParam);
    }
};

TEST_F(ResultListTest, ARefusedInsertAddsNothingAndWritesNoCell) {
    list().appendRow({"kept", "-a", "true"});
    HWND handle = list().handle();
    RefusingList::textsSet = 0;
    RefusingList::original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RefusingList::proc)));
    list().appendRow({"lost", "-b", "false"});
    SetWindowLongPtrW(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RefusingList::original));
    EXPECT_EQ(RefusingList::textsSet, 0);
    ASSERT_EQ(rowCount(), 1);
    EXPECT_EQ(rowAt(0), (ResultRow{"kept", "-a", "true"}));
}

} // namespace
} // namespace quorvell
