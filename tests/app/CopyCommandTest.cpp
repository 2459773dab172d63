// The copy command: setClipboardText on its own, "复制" on the real main window through
// its command, and the popup that a right click in the result list shows at the pointer.
#include "WindowTestSupport.h"
#include "app/Clipboard.h"
#include "app/Menus.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace quorvell {
namespace {

using apptest::pumpWaitingMessages;

// The CF_TEXT block on the clipboard: its bytes up to and with the first NUL.
struct ClipboardBlock {
    std::string bytes; // before the NUL
    bool nulInside = false;
};

std::optional<ClipboardBlock> clipboardText() {
    const ClipboardSession clipboard(nullptr);
    if (!clipboard.isOpen()) {
        return std::nullopt;
    }
    HANDLE data = GetClipboardData(CF_TEXT);
    if (!data) {
        return std::nullopt;
    }
    const SIZE_T size = GlobalSize(data);
    const GlobalMemoryLock lock(data);
    if (!lock.data()) {
        return std::nullopt;
    }
    const auto* bytes = static_cast<const char*>(lock.data());
    ClipboardBlock block;
    for (SIZE_T i = 0; i < size; ++i) {
        if (bytes[i] == '\0') {
            block.nulInside = true;
            break;
        }
        block.bytes.push_back(bytes[i]);
    }
    return block;
}

// Holds the clipboard open from another thread, for a window of that thread, as another
// program would, until released. (An open without a window would count as the same
// holder as ours.)
class ClipboardHolder {
  public:
    ClipboardHolder()
        : thread_([this] {
              HWND owner = CreateWindowExW(0, L"STATIC", L"holder", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                           nullptr, GetModuleHandleW(nullptr), nullptr);
              const bool opened = owner && OpenClipboard(owner) != FALSE;
              {
                  std::lock_guard<std::mutex> lock(mutex_);
                  opened_ = opened;
                  ready_ = true;
              }
              changed_.notify_all();
              std::unique_lock<std::mutex> lock(mutex_);
              changed_.wait(lock, [this] { return released_; });
              if (opened) {
                  CloseClipboard();
              }
              if (owner) {
                  DestroyWindow(owner);
              }
          }) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return ready_; });
    }
    ~ClipboardHolder() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            released_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    bool holds() const { return opened_; }

  private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool ready_ = false;
    bool opened_ = false;
    bool released_ = false;
    std::thread thread_;
};

TEST(SetClipboardTextTest, LeavesTheTextAndItsNulAsCfText) {
    const std::string cases[] = {
        "-ar", "  ", "-kick \"red\"", std::string(2000, 'x'), "\xbf\xaa\xca\xbc", "",
    };
    for (const std::string& text : cases) {
        ASSERT_TRUE(setClipboardText(Text(std::string_view(text)))) << text.size();
        const auto block = clipboardText();
        ASSERT_TRUE(block) << text.size();
        EXPECT_EQ(block->bytes, text);
        EXPECT_TRUE(block->nulInside) << "ended by its NUL: " << text.size();
    }
}

TEST(SetClipboardTextTest, BusyClipboardKeepsWhatItHeld) {
    ASSERT_TRUE(setClipboardText("before"));
    {
        const ClipboardHolder holder;
        ASSERT_TRUE(holder.holds());
        EXPECT_FALSE(setClipboardText("after"));
    }
    const auto block = clipboardText();
    ASSERT_TRUE(block);
    EXPECT_EQ(block->bytes, "before");
}

class CopyCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(ole_.result()));
        ASSERT_TRUE(window_.create(GetModuleHandleW(nullptr))) << "no display?";
        list().appendRow({"p1", "-ar", "true"});
        list().appendRow({"p2", "  ", "false"});
        list().appendRow({"p3", Text(std::string(2000, 'c')), "true"});
        list().appendRow({"p4", "-kick \"red\"", "(true)"});
    }
    void TearDown() override {
        if (window_.handle()) {
            DestroyWindow(window_.handle());
        }
        pumpWaitingMessages();
    }
    ResultList& list() { return window_.resultList(); }
    void select(int row) {
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = row >= 0 ? LVIS_SELECTED | LVIS_FOCUSED : 0;
        SendMessageW(list().handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&item));
    }
    void chooseCopy() {
        SendMessageW(window_.handle(), WM_COMMAND, MAKEWPARAM(copyItem.commandId, 0), 0);
    }

    OleSession ole_;
    MainWindow window_;
};

TEST_F(CopyCommandTest, CopiesTheSelectedRowsCommandOnly) {
    struct Case {
        int row;
        std::string expected;
    };
    const Case cases[] = {{0, "-ar"}, {1, "  "}, {2, std::string(2000, 'c')}, {3, "-kick \"red\""}};
    for (const Case& c : cases) {
        select(c.row);
        ASSERT_EQ(list().selectedRow(), c.row);
        chooseCopy();
        const auto block = clipboardText();
        ASSERT_TRUE(block) << c.row;
        EXPECT_EQ(block->bytes, c.expected) << c.row;
    }
}

TEST_F(CopyCommandTest, WithoutASelectionLeavesTheEmptyText) {
    ASSERT_TRUE(setClipboardText("held before"));
    select(-1);
    ASSERT_EQ(list().selectedRow(), -1);
    chooseCopy();
    const auto block = clipboardText();
    ASSERT_TRUE(block);
    EXPECT_EQ(block->bytes, "");
    EXPECT_TRUE(block->nulInside);
}

TEST_F(CopyCommandTest, BusyClipboardIsLeftAsItWas) {
    ASSERT_TRUE(setClipboardText("held before"));
    select(0);
    {
        const ClipboardHolder holder;
        ASSERT_TRUE(holder.holds());
        chooseCopy();
    }
    const auto block = clipboardText();
    ASSERT_TRUE(block);
    EXPECT_EQ(block->bytes, "held before");
}

// What the popup looked like while it was open, seen from a timer that runs inside the
// popup's modal loop; the timer then chooses the item or dismisses the popup.
struct PopupVisit {
    static inline bool choose = false;
    static inline bool seen = false;
    static inline RECT place{};
    static inline HMENU menu = nullptr;
    static inline int items = 0;
    static inline std::wstring caption;
    static inline UINT_PTR timer = 0;

    static void CALLBACK onTimer(HWND, UINT, UINT_PTR id, DWORD) {
        HWND popup = FindWindowW(L"#32768", nullptr);
        if (!popup || !IsWindowVisible(popup)) {
            return;
        }
        KillTimer(nullptr, id);
        seen = true;
        GetWindowRect(popup, &place);
        menu = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
        items = GetMenuItemCount(menu);
        wchar_t text[32] = {};
        GetMenuStringW(menu, 0, text, 32, MF_BYPOSITION);
        caption = text;
        if (choose) {
            PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
            PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
        } else {
            PostMessageW(popup, WM_KEYDOWN, VK_ESCAPE, 0);
        }
    }
};

class PopupTest : public CopyCommandTest {
  protected:
    // A right click in the list as the list reports it, with the pointer at (x, y).
    void rightClickAt(int x, int y, bool choose) {
        PopupVisit::choose = choose;
        PopupVisit::seen = false;
        PopupVisit::menu = nullptr;
        SetCursorPos(x, y);
        PopupVisit::timer = SetTimer(nullptr, 0, 50, &PopupVisit::onTimer);
        NMHDR header{list().handle(), static_cast<UINT_PTR>(MainWindow::kResultListId),
                     static_cast<UINT>(NM_RCLICK)};
        SendMessageW(window_.handle(), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
        KillTimer(nullptr, PopupVisit::timer);
    }
};

TEST_F(PopupTest, ShowsCopyAtThePointerAndDestroysThePopupAfter) {
    window_.show();
    pumpWaitingMessages();
    select(0);
    ASSERT_TRUE(setClipboardText("held before"));
    RECT listPlace;
    GetWindowRect(list().handle(), &listPlace);
    const int x = listPlace.left + 40;
    const int y = listPlace.top + 60;
    rightClickAt(x, y, false);
    ASSERT_TRUE(PopupVisit::seen) << "the popup never showed";
    EXPECT_EQ(PopupVisit::place.left, x);
    EXPECT_EQ(PopupVisit::place.top, y);
    EXPECT_EQ(PopupVisit::items, 1);
    EXPECT_EQ(PopupVisit::caption, L"复制");
    EXPECT_FALSE(IsMenu(PopupVisit::menu)) << "destroyed when it closed";
    pumpWaitingMessages();
    EXPECT_TRUE(IsWindow(window_.handle())) << "Esc closed only the popup";
    const auto kept = clipboardText();
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->bytes, "held before") << "a dismissed popup copies nothing";

    rightClickAt(x, y, true);
    ASSERT_TRUE(PopupVisit::seen);
    pumpWaitingMessages(); // the chosen item's command arrives after the popup closed
    const auto copied = clipboardText();
    ASSERT_TRUE(copied);
    EXPECT_EQ(copied->bytes, "-ar");
}

} // namespace
} // namespace quorvell
