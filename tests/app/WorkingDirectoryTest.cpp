// Start-up's working directory: the folder of the program file.
#include "app/WorkingDirectory.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace quorvell {
namespace {

std::wstring currentDirectory() {
    wchar_t buffer[MAX_PATH * 2] = {};
    GetCurrentDirectoryW(MAX_PATH * 2, buffer);
    return buffer;
}

TEST(WorkingDirectoryTest, EntersTheFolderOfTheProgramFile) {
    const std::wstring before = currentDirectory();
    wchar_t program[MAX_PATH * 2] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH * 2);
    std::wstring expected(program);
    expected.resize(expected.rfind(L'\\'));

    wchar_t system[MAX_PATH] = {};
    GetSystemDirectoryW(system, MAX_PATH);
    ASSERT_TRUE(SetCurrentDirectoryW(system));
    enterProgramFolder();
    EXPECT_EQ(currentDirectory(), expected);
    SetCurrentDirectoryW(before.c_str());
}

} // namespace
} // namespace quorvell
