// The Esc rule of the message loop: Esc alone closes the window, also from the list.
#include "app/MessageLoop.h"
#include "WindowTestSupport.h"

#include <gtest/gtest.h>

namespace quorvell {
namespace {

using apptest::holdKeys;
using apptest::pumpWaitingMessages;

MSG keyMessage(HWND window, UINT message, WPARAM key) {
    MSG m{};
    m.hwnd = window;
    m.message = message;
    m.wParam = key;
    m.lParam = 1;
    return m;
}

struct KeyCase {
    std::initializer_list<int> held;
    UINT message;
    WPARAM key;
    bool closes;
};

TEST(CloseKeyTest, OnlyEscAloneCloses) {
    const KeyCase cases[] = {
        {{}, WM_KEYDOWN, VK_ESCAPE, true},
        {{VK_SHIFT}, WM_KEYDOWN, VK_ESCAPE, false},
        {{VK_CONTROL}, WM_KEYDOWN, VK_ESCAPE, false},
        {{VK_MENU}, WM_KEYDOWN, VK_ESCAPE, false},
        {{VK_MENU}, WM_SYSKEYDOWN, VK_ESCAPE, false},
        {{VK_CONTROL, VK_SHIFT}, WM_KEYDOWN, VK_ESCAPE, false},
        {{}, WM_KEYUP, VK_ESCAPE, false},
        {{}, WM_CHAR, VK_ESCAPE, false},
        {{}, WM_KEYDOWN, VK_RETURN, false},
        {{}, WM_KEYDOWN, VK_F1, false},
        // Mouse buttons held make no difference.
        {{VK_LBUTTON}, WM_KEYDOWN, VK_ESCAPE, true},
    };
    int index = 0;
    for (const KeyCase& c : cases) {
        holdKeys(c.held);
        EXPECT_EQ(isCloseKey(keyMessage(nullptr, c.message, c.key)), c.closes) << "case " << index;
        ++index;
    }
    holdKeys({});
}

class EscapeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        holdKeys({});
        ASSERT_TRUE(window_.create(GetModuleHandleW(nullptr)))
            << "the main window could not be created (no display?)";
        window_.show();
        pumpWaitingMessages();
    }
    void TearDown() override {
        holdKeys({});
        if (HWND handle = window_.handle()) {
            DestroyWindow(handle);
        }
        pumpWaitingMessages();
    }
    MainWindow window_;
};

TEST_F(EscapeTest, EscAloneClosesFromTheWindowAndFromTheList) {
    for (const bool fromList : {true, false}) {
        HWND target = fromList ? window_.resultList().handle() : window_.labelHandle();
        EXPECT_TRUE(filterMessage(window_.handle(), keyMessage(target, WM_KEYDOWN, VK_ESCAPE)))
            << (fromList ? "list" : "label");
        EXPECT_EQ(window_.handle(), nullptr);
        EXPECT_TRUE(pumpWaitingMessages()) << "the quit message was posted";
        ASSERT_TRUE(window_.create(GetModuleHandleW(nullptr)));
    }
    HWND main = window_.handle();
    EXPECT_TRUE(filterMessage(main, keyMessage(main, WM_KEYDOWN, VK_ESCAPE)));
    EXPECT_EQ(window_.handle(), nullptr);
    pumpWaitingMessages();
}

TEST_F(EscapeTest, ModifiersAndOtherWindowsKeepItOpen) {
    HWND list = window_.resultList().handle();
    for (const int modifier : {VK_SHIFT, VK_CONTROL, VK_MENU}) {
        holdKeys({modifier});
        EXPECT_FALSE(filterMessage(window_.handle(), keyMessage(list, WM_KEYDOWN, VK_ESCAPE)))
            << modifier;
        EXPECT_NE(window_.handle(), nullptr) << modifier;
    }
    holdKeys({});
    HWND stranger = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(stranger, nullptr);
    EXPECT_FALSE(filterMessage(window_.handle(), keyMessage(stranger, WM_KEYDOWN, VK_ESCAPE)));
    EXPECT_NE(window_.handle(), nullptr);
    DestroyWindow(stranger);
}

// Ends a loop that the test expected to end by itself, so a fault fails instead of hanging.
void CALLBACK giveUp(HWND, UINT, UINT_PTR, DWORD) {
    PostQuitMessage(99);
}

TEST_F(EscapeTest, TheLoopRunsUntilEscClosesTheWindow) {
    const UINT_PTR guard = SetTimer(nullptr, 0, 5000, &giveUp);
    HWND list = window_.resultList().handle();
    // Shift+Esc goes to the list and the loop carries on until an unrelated quit.
    holdKeys({VK_SHIFT});
    PostMessageW(list, WM_KEYDOWN, VK_ESCAPE, 1);
    PostQuitMessage(7);
    EXPECT_EQ(runMessageLoop(window_.handle()), 7);
    EXPECT_NE(window_.handle(), nullptr);

    holdKeys({});
    PostMessageW(list, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_EQ(runMessageLoop(window_.handle()), 0);
    EXPECT_EQ(window_.handle(), nullptr);
    KillTimer(nullptr, guard);
}

} // namespace
} // namespace quorvell
