// A test fixture holding a MainWindow built as the program builds it, destroyed after
// each test with the messages that destruction leaves waiting.
#pragma once

#include "WindowTestSupport.h"

#include <gtest/gtest.h>

namespace quorvell::apptest {

class MainWindowFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(window_.create(GetModuleHandleW(nullptr)))
            << "the main window could not be created (no display?)";
    }
    void TearDown() override {
        if (HWND handle = window_.handle()) {
            DestroyWindow(handle);
        }
        pumpWaitingMessages();
    }

    MainWindow window_;
};

} // namespace quorvell::apptest
