// The main window as the program builds it: settings, controls, columns, icons, font.
#include "MainWindowFixture.h"
#include "app/Menus.h"
#include "app/Placement.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace quorvell {
namespace {

using apptest::className;
using apptest::placeInParent;
using apptest::pumpWaitingMessages;
using apptest::windowText;

class MainWindowTest : public apptest::MainWindowFixture {
  protected:
    HWND main() const { return window_.handle(); }
    HWND list() { return window_.resultList().handle(); }
};

TEST_F(MainWindowTest, IsCreatedHiddenWithItsCaptionAndFrame) {
    EXPECT_FALSE(IsWindowVisible(main()));
    EXPECT_EQ(windowText(main()), L"Quorvell");
    const auto style = static_cast<DWORD>(GetWindowLongW(main(), GWL_STYLE));
    for (const DWORD wanted :
         {DWORD{WS_CAPTION}, DWORD{WS_SYSMENU}, DWORD{WS_MINIMIZEBOX}, DWORD{WS_CLIPCHILDREN}}) {
        EXPECT_EQ(style & wanted, wanted) << std::hex << wanted;
    }
    EXPECT_EQ(style & WS_THICKFRAME, 0u) << "no sizing border";
    EXPECT_EQ(style & WS_MAXIMIZEBOX, 0u) << "no maximise box";
    EXPECT_EQ(style & (WS_POPUP | WS_CHILD), 0u);
    // The system adds the raised window edge to every captioned window by itself.
    const auto extended = static_cast<DWORD>(GetWindowLongW(main(), GWL_EXSTYLE));
    EXPECT_EQ(extended & ~DWORD{WS_EX_WINDOWEDGE}, 0u) << std::hex << extended;
    EXPECT_EQ(GetWindow(main(), GW_OWNER), nullptr);
    EXPECT_EQ(GetMenu(main()), nullptr) << "no menu bar entry";
}

TEST_F(MainWindowTest, StartsCentredWithItsFixedOuterSize) {
    RECT outer;
    ASSERT_TRUE(GetWindowRect(main(), &outer));
    EXPECT_EQ(outer.right - outer.left, kMainWindowWidth);
    EXPECT_EQ(outer.bottom - outer.top, kMainWindowHeight);
    const ScreenPoint origin =
        centredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(outer.left, origin.x);
    EXPECT_EQ(outer.top, origin.y);
    // The screen-size runs name the corner they expect, worked out by hand.
    if (const char* expected = std::getenv("QUORVELL_EXPECTED_ORIGIN")) {
        long x = 0;
        long y = 0;
        ASSERT_EQ(std::sscanf(expected, "%ld,%ld", &x, &y), 2) << expected;
        EXPECT_EQ(outer.left, x) << "screen " << GetSystemMetrics(SM_CXSCREEN);
        EXPECT_EQ(outer.top, y) << "screen " << GetSystemMetrics(SM_CYSCREEN);
    }
}

TEST_F(MainWindowTest, CarriesTheIconGroupsImagesAndTheGuiFont) {
    const auto big = reinterpret_cast<HICON>(SendMessageW(main(), WM_GETICON, ICON_BIG, 0));
    const auto small = reinterpret_cast<HICON>(SendMessageW(main(), WM_GETICON, ICON_SMALL, 0));
    const std::pair<HICON, LONG> icons[] = {{big, 32}, {small, 16}};
    for (const auto& [icon, size] : icons) {
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bitmap{};
        GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
        EXPECT_EQ(bitmap.bmWidth, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageW(main(), WM_GETFONT, 0, 0)),
              GetStockObject(DEFAULT_GUI_FONT));
}

TEST_F(MainWindowTest, CreatesTheListThenTheLabelAtTheirPlaces) {
    // Children are listed in creation order, the first created first.
    HWND first = GetWindow(main(), GW_CHILD);
    ASSERT_EQ(first, list());
    HWND second = GetWindow(first, GW_HWNDNEXT);
    ASSERT_EQ(second, window_.labelHandle());
    EXPECT_EQ(GetWindow(second, GW_HWNDNEXT), nullptr);

    struct Place {
        HWND control;
        RECT expected;
    };
    const Place places[] = {{list(), {6, 26, 6 + 338, 26 + 292}},
                            {window_.labelHandle(), {33, 6, 33 + 264, 6 + 16}}};
    for (const auto& [control, expected] : places) {
        const RECT got = placeInParent(control);
        EXPECT_EQ(got.left, expected.left) << className(control);
        EXPECT_EQ(got.top, expected.top) << className(control);
        EXPECT_EQ(got.right, expected.right) << className(control);
        EXPECT_EQ(got.bottom, expected.bottom) << className(control);
        const auto style = static_cast<DWORD>(GetWindowLongW(control, GWL_STYLE));
        EXPECT_EQ(style & (WS_CHILD | WS_CLIPSIBLINGS | WS_VISIBLE),
                  DWORD{WS_CHILD | WS_CLIPSIBLINGS | WS_VISIBLE})
            << className(control);
        EXPECT_EQ(style & (WS_DISABLED | WS_BORDER), 0u) << className(control);
        EXPECT_EQ(GetParent(control), main());
    }
}

TEST_F(MainWindowTest, LabelHoldsItsTextWithoutTabStopOrBorder) {
    HWND label = window_.labelHandle();
    EXPECT_EQ(windowText(label), L"将地图拖入窗口开始扫描");
    const auto style = static_cast<DWORD>(GetWindowLongW(label, GWL_STYLE));
    EXPECT_EQ(style & WS_TABSTOP, 0u);
    EXPECT_EQ(GetWindowLongW(label, GWL_EXSTYLE), 0);
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)),
              GetStockObject(DEFAULT_GUI_FONT));
}

TEST_F(MainWindowTest, ResultListHasEveryStyleOfItsTable) {
    EXPECT_EQ(className(list()), L"SysListView32");
    const auto style = static_cast<DWORD>(GetWindowLongW(list(), GWL_STYLE));
    constexpr DWORD wanted =
        WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL;
    EXPECT_EQ(style & wanted, wanted) << std::hex << style;
    EXPECT_EQ(style & LVS_TYPEMASK, DWORD{LVS_REPORT});
    for (const DWORD unwanted :
         {DWORD{LVS_SHOWSELALWAYS}, DWORD{LVS_NOSORTHEADER}, DWORD{LVS_NOCOLUMNHEADER},
          DWORD{LVS_SORTASCENDING}, DWORD{LVS_SORTDESCENDING}, DWORD{LVS_EDITLABELS},
          DWORD{LVS_OWNERDATA}, DWORD{WS_BORDER}}) {
        EXPECT_EQ(style & unwanted, 0u) << std::hex << unwanted;
    }
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(list(), GWL_EXSTYLE)), DWORD{WS_EX_CLIENTEDGE});
    const auto extended =
        static_cast<DWORD>(SendMessageW(list(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    EXPECT_EQ(extended, DWORD{LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_INFOTIP |
                              LVS_EX_SUBITEMIMAGES})
        << std::hex << extended << " (no check boxes, hot tracking or column dragging)";
    EXPECT_EQ(SendMessageW(list(), LVM_GETTEXTCOLOR, 0, 0), LRESULT{RGB(0, 0, 0)});
    EXPECT_EQ(SendMessageW(list(), LVM_GETTEXTBKCOLOR, 0, 0), LRESULT{RGB(255, 255, 255)});
    EXPECT_EQ(SendMessageW(list(), LVM_GETBKCOLOR, 0, 0), LRESULT{RGB(255, 255, 255)});
    EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageW(list(), WM_GETFONT, 0, 0)),
              GetStockObject(DEFAULT_GUI_FONT));
    EXPECT_EQ(SendMessageW(list(), LVM_GETITEMCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageW(list(), LVM_GETIMAGELIST, LVSIL_SMALL, 0), 0);
}

TEST_F(MainWindowTest, ResultListHasItsThreeColumns) {
    struct Column {
        const wchar_t* title;
        int width;
        int alignment;
    };
    const Column columns[] = {
        {L"玩家", 50, LVCFMT_LEFT}, {L"命令", 200, LVCFMT_CENTER}, {L"匹配", 60, LVCFMT_CENTER}};
    auto header = reinterpret_cast<HWND>(SendMessageW(list(), LVM_GETHEADER, 0, 0));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 3);
    int index = 0;
    for (const auto& [title, width, alignment] : columns) {
        wchar_t text[64] = {};
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.pszText = text;
        column.cchTextMax = 64;
        ASSERT_TRUE(SendMessageW(list(), LVM_GETCOLUMNW, static_cast<WPARAM>(index),
                                 reinterpret_cast<LPARAM>(&column)))
            << index;
        EXPECT_STREQ(text, title) << index;
        EXPECT_EQ(column.cx, width) << index;
        EXPECT_EQ(column.fmt & LVCFMT_JUSTIFYMASK, alignment) << index;
        ++index;
    }
}

TEST_F(MainWindowTest, ListMenuGivesOnePopupItemThatCopies) {
    EXPECT_FALSE(listMenu.visible);
    EXPECT_STREQ(listMenu.caption, L"鼠标");
    UniqueMenu popup = buildPopupMenu(listMenu);
    ASSERT_TRUE(popup);
    ASSERT_EQ(GetMenuItemCount(popup.get()), 1);
    wchar_t text[16] = {};
    GetMenuStringW(popup.get(), 0, text, 16, MF_BYPOSITION);
    EXPECT_STREQ(text, L"复制");
    EXPECT_EQ(GetMenuItemID(popup.get(), 0), copyItem.commandId);
    const UINT state = GetMenuState(popup.get(), 0, MF_BYPOSITION);
    EXPECT_EQ(state & (MF_GRAYED | MF_DISABLED | MF_CHECKED), 0u);
}

TEST_F(MainWindowTest, ShowsAtTheCentredPlaceAndClosesWithoutAQuestion) {
    RECT before;
    GetWindowRect(main(), &before);
    window_.show();
    EXPECT_TRUE(IsWindowVisible(main()));
    EXPECT_TRUE(IsWindowVisible(list()));
    EXPECT_TRUE(IsWindowVisible(window_.labelHandle()));
    RECT after;
    GetWindowRect(main(), &after);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
    pumpWaitingMessages();

    SendMessageW(main(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(window_.handle(), nullptr) << "closed at once";
    EXPECT_TRUE(pumpWaitingMessages()) << "the quit message ends the loop";
}

// Refuses the creation of every window of one class, as a system out of resources would.
struct CreationRefusal {
    static inline std::wstring refusedClass;
    static LRESULT CALLBACK hook(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_CREATEWND) {
            const auto* creation = reinterpret_cast<const CBT_CREATEWNDW*>(lParam);
            const auto* name = creation->lpcs->lpszClass;
            if (HIWORD(reinterpret_cast<ULONG_PTR>(name)) != 0 && refusedClass == name) {
                return 1;
            }
            if (className(reinterpret_cast<HWND>(wParam)) == refusedClass) {
                return 1;
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
};

TEST(MainWindowCreationTest, ReportsFailureWhenAWindowCannotBeMade) {
    for (const wchar_t* refused : {MainWindow::kClassName, L"SysListView32", L"QuorvellLabel"}) {
        CreationRefusal::refusedClass = refused;
        HHOOK hook =
            SetWindowsHookExW(WH_CBT, &CreationRefusal::hook, nullptr, GetCurrentThreadId());
        ASSERT_NE(hook, nullptr);
        MainWindow window;
        const bool created = window.create(GetModuleHandleW(nullptr));
        UnhookWindowsHookEx(hook);
        EXPECT_FALSE(created) << ::testing::PrintToString(std::wstring(refused));
        EXPECT_EQ(window.handle(), nullptr) << "nothing is left behind";
        // A quit message now would close the fatal error box the moment it shows.
        EXPECT_FALSE(pumpWaitingMessages()) << "no quit message after a failed creation";
    }
    {
        MainWindow window;
        EXPECT_TRUE(window.create(GetModuleHandleW(nullptr))) << "creation works again";
        EXPECT_FALSE(window.create(GetModuleHandleW(nullptr))) << "one window per MainWindow";
    }
    pumpWaitingMessages();
}

} // namespace
} // namespace quorvell
