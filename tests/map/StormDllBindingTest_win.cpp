// The real DLL binding against small stand-in libraries of ours (tests/map/dll): one with
// all eight entry points, one lacking #268, and none at all.
#include "map/MapArchiveReader.h"
#include "map/StormDllBinding_win.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace quorvell {
namespace {

namespace fs = std::filesystem;
using Role = StormDllBinding::Role;

// The folder of this test program; the stand-in libraries and the child program are
// built beside it.
fs::path testFolder() {
    wchar_t path[MAX_PATH * 4] = {};
    GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    return fs::path(path).parent_path();
}

std::string callLogOf(const fs::path& dll) {
    HMODULE module = GetModuleHandleW(dll.filename().wstring().c_str());
    if (module == nullptr) {
        return "(not loaded)";
    }
    using LogFn = const char* (*)();
    const auto log = reinterpret_cast<LogFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "FakeStormCallLog")));
    return log != nullptr ? log() : "(no log)";
}

TEST(StormDllBindingTest, EachEntryPointIsBoundAtItsOwnFirstCallAndKept) {
    const fs::path dll = testFolder() / "fake_storm_full.dll";
    ASSERT_TRUE(fs::exists(dll)) << dll.string();
    StormDllBinding binding(dll.string());
    MapArchiveReader reader(binding);
    EXPECT_FALSE(binding.isLoaded()); // nothing happens before the first call

    // A first read that stops at the archive binds only what it reached.
    EXPECT_EQ(reader.readInnerFile("missing.w3x", "war3map.j").length(), 0);
    EXPECT_TRUE(binding.isLoaded());
    EXPECT_EQ(binding.lookupCount(), 3);
    for (const Role r : {Role::prepare, Role::setLocale, Role::openArchive}) {
        EXPECT_TRUE(binding.isBound(r)) << StormDllBinding::ordinalOf(r);
    }
    for (const Role r :
         {Role::openFile, Role::getFileSize, Role::readFile, Role::closeFile, Role::closeArchive}) {
        EXPECT_FALSE(binding.isBound(r)) << StormDllBinding::ordinalOf(r);
    }

    // A later read binds the rest when it reaches them, and only those.
    EXPECT_EQ(reader.readInnerFile("map.w3x", "war3map.j").view(), "hello");
    EXPECT_EQ(binding.lookupCount(), 8);
    EXPECT_EQ(reader.readInnerFile("map.w3x", "war3map.j").view(), "hello");
    EXPECT_EQ(binding.lookupCount(), 8);

    EXPECT_EQ(callLogOf(dll),
              "prepare;locale 1033;openArchive missing.w3x;"
              "prepare;locale 1033;openArchive map.w3x;openFile war3map.j;size;read 5;closeFile;"
              "closeArchive;"
              "prepare;locale 1033;openArchive map.w3x;openFile war3map.j;size;read 5;closeFile;"
              "closeArchive;");
}

BOOL CALLBACK appendStaticText(HWND child, LPARAM param) {
    wchar_t cls[32] = {};
    GetClassNameW(child, cls, 32);
    if (lstrcmpiW(cls, L"Static") == 0) {
        wchar_t text[1024] = {};
        GetWindowTextW(child, text, 1024);
        *reinterpret_cast<std::wstring*>(param) += text;
    }
    return TRUE;
}

// The texts of the static controls of a dialog, joined.
std::wstring staticTexts(HWND dialog) {
    std::wstring texts;
    EnumChildWindows(dialog, &appendStaticText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

struct FoundBox {
    DWORD processId;
    HWND window;
};

BOOL CALLBACK matchDialog(HWND window, LPARAM param) {
    auto* f = reinterpret_cast<FoundBox*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t cls[32] = {};
    GetClassNameW(window, cls, 32);
    if (owner == f->processId && lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(window)) {
        f->window = window;
        return FALSE;
    }
    return TRUE;
}

// The visible dialog box of a process, or null.
HWND findDialogOf(DWORD processId) {
    FoundBox found{processId, nullptr};
    EnumWindows(&matchDialog, reinterpret_cast<LPARAM>(&found));
    return found.window;
}

struct BindingFailureCase {
    const char* library;     // copied beside the child as Storm.dll; null for none
    const wchar_t* argument; // the child's argument
    const wchar_t* message;  // the message in the box
};

TEST(StormDllBindingTest, FatalErrorsShowTheBoxAndEndWithMinusOne) {
    const BindingFailureCase cases[] = {
        {nullptr, L"map.w3x", L"无法找到指定DLL库文件“Storm.dll”中的输出命令“#262”"},
        {"fake_storm_no268.dll", L"map.w3x", L"无法找到指定DLL库文件“Storm.dll”中的输出命令“#268”"},
        {"fake_storm_full.dll", L"--fail-allocation", L"分配 100 字节内存失败!"},
    };
    for (const BindingFailureCase& c : cases) {
        SCOPED_TRACE(c.library != nullptr ? c.library : "no library");
        const fs::path dir = fs::temp_directory_path() /
                             ("quorvell-binding-" + std::to_string(GetCurrentProcessId()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        fs::copy_file(testFolder() / "storm_binding_child.exe", dir / "child.exe");
        if (c.library != nullptr) {
            fs::copy_file(testFolder() / c.library, dir / "Storm.dll");
        }

        std::wstring commandLine = L"\"" + (dir / "child.exe").wstring() + L"\" " + c.argument;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION process{};
        ASSERT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   dir.wstring().c_str(), &startup, &process));

        HWND box = nullptr;
        for (int i = 0; i < 300 && box == nullptr; ++i) {
            if (WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
                break;
            }
            box = findDialogOf(process.dwProcessId);
            if (box == nullptr) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        }
        std::wstring caption;
        std::wstring text;
        if (box != nullptr) {
            wchar_t buffer[256] = {};
            GetWindowTextW(box, buffer, 256);
            caption = buffer;
            text = staticTexts(box);
            PostMessageW(box, WM_COMMAND, IDOK, 0);
        }
        const bool ended = WaitForSingleObject(process.hProcess, 10000) == WAIT_OBJECT_0;
        if (!ended) {
            TerminateProcess(process.hProcess, 3);
        }
        DWORD exitCode = 0;
        GetExitCodeProcess(process.hProcess, &exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        fs::remove_all(dir);

        ASSERT_NE(box, nullptr) << "no error box appeared";
        EXPECT_EQ(caption, L"错误");
        EXPECT_EQ(text, std::wstring(L"运行时出错!\r\n\r\n错误信息：") + c.message + L"\r\n");
        EXPECT_TRUE(ended);
        EXPECT_EQ(exitCode, 0xFFFFFFFFu);
    }
}

} // namespace
} // namespace quorvell
