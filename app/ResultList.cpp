#include "app/ResultList.h"

#include <commctrl.h>

#include <string>

namespace quorvell {

namespace {

struct ColumnDefinition {
    const wchar_t* title;
    int width;
    int format;
};

constexpr ColumnDefinition kColumns[] = {
    {L"玩家", 50, LVCFMT_LEFT},
    {L"命令", 200, LVCFMT_CENTER},
    {L"匹配", 60, LVCFMT_CENTER},
};

constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);

// The list control copies the text it is given; the pointer is only read.
char* messageText(const Text& text) {
    return const_cast<char*>(text.c_str());
}

} // namespace

bool ResultList::create(HWND parent, HINSTANCE instance, int controlId) {
    constexpr DWORD style =
        WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL;
    list_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"", style, 6, 26, 338, 292, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), instance,
                            nullptr);
    if (!list_) {
        return false;
    }
    constexpr DWORD extended =
        LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_INFOTIP | LVS_EX_SUBITEMIMAGES;
    SendMessageW(list_, LVM_SETEXTENDEDLISTVIEWSTYLE, extended, extended);
    SendMessageW(list_, LVM_SETTEXTCOLOR, 0, kBlack);
    SendMessageW(list_, LVM_SETTEXTBKCOLOR, 0, kWhite);
    SendMessageW(list_, LVM_SETBKCOLOR, 0, kWhite);
    SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)),
                 FALSE);
    int index = 0;
    for (const ColumnDefinition& column : kColumns) {
        LVCOLUMNW definition{};
        definition.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
        definition.fmt = column.format;
        definition.cx = column.width;
        definition.pszText = const_cast<wchar_t*>(column.title);
        definition.iSubItem = index;
        SendMessageW(list_, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&definition));
        ++index;
    }
    return true;
}

void ResultList::clearRows() {
    SendMessageW(list_, LVM_DELETEALLITEMS, 0, 0);
}

void ResultList::appendRow(const ResultRow& row) {
    const LRESULT count = SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0);
    LVITEMA item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_INDENT | LVIF_PARAM | LVIF_STATE;
    item.iItem = static_cast<int>(count);
    item.iSubItem = 0;
    item.pszText = messageText(row.playerLabel);
    item.iImage = -1;
    item.iIndent = 0;
    item.lParam = 0;
    item.state = 0;
    item.stateMask = 0;
    const LRESULT index = SendMessageA(list_, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    if (index < 0) {
        return;
    }
    const auto setCell = [&](int column, const Text& text) {
        LVITEMA cell{};
        cell.iSubItem = column;
        cell.pszText = messageText(text);
        SendMessageA(list_, LVM_SETITEMTEXTA, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&cell));
    };
    setCell(1, row.command);
    setCell(2, row.matchFlag);
}

std::int32_t ResultList::selectedRow() const {
    const LRESULT row =
        SendMessageW(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0));
    return static_cast<std::int32_t>(row);
}

Text ResultList::cellText(std::int32_t row, std::int32_t column) const {
    if (row < 0 || column < 0) {
        return Text();
    }
    // Ask with a 512-byte buffer; while the copy fills it, double it and ask again.
    // The list's texts are far shorter than the cap, which only keeps the loop finite.
    constexpr int kLargestBuffer = 1 << 28;
    int capacity = 512;
    std::string buffer;
    for (;;) {
        buffer.assign(static_cast<std::size_t>(capacity), '\0');
        LVITEMA cell{};
        cell.iSubItem = column;
        cell.pszText = buffer.data();
        cell.cchTextMax = capacity;
        const LRESULT copied = SendMessageA(list_, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                                            reinterpret_cast<LPARAM>(&cell));
        if (copied < capacity - 1 || capacity >= kLargestBuffer) {
            break;
        }
        capacity *= 2;
    }
    return Text(std::string_view(buffer));
}

} // namespace quorvell
