// A thousand drops of every kind on the real main window: maps, files that are no map,
// several files, folders, empty lists, refused data. Afterwards the process holds no
// more GDI or USER objects and no more memory than after the first round.
#include "TestDataObject.h"
#include "WindowTestSupport.h"
#include "app/DropRules.h"
#include "tests/support/TestPaths.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <psapi.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace quorvell {
namespace {

using apptest::TestDataObject;

struct Usage {
    DWORD gdiObjects = 0;
    DWORD userObjects = 0;
    SIZE_T privateBytes = 0;
    SIZE_T workingSet = 0;
    // Measured by walking, for systems whose counters above stay 0 (Wine's do).
    SIZE_T committedPrivate = 0;
    SIZE_T heapInUse = 0;
    int threadWindows = 0;
};

// Committed private memory, region by region over the whole address space.
SIZE_T committedPrivateBytes() {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (auto* at = static_cast<char*>(nullptr);
         VirtualQuery(at, &region, sizeof region) == sizeof region;
         at = static_cast<char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
            total += region.RegionSize;
        }
        if (region.RegionSize == 0) {
            break;
        }
    }
    return total;
}

// The bytes of every busy block of every heap of the process.
SIZE_T heapBytesInUse() {
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    SIZE_T total = 0;
    for (DWORD i = 0; i < count && i < 64; ++i) {
        if (!HeapLock(heaps[i])) {
            continue;
        }
        PROCESS_HEAP_ENTRY entry{};
        while (HeapWalk(heaps[i], &entry)) {
            if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0) {
                total += entry.cbData;
            }
        }
        HeapUnlock(heaps[i]);
    }
    return total;
}

BOOL CALLBACK countWindow(HWND, LPARAM counter) {
    ++*reinterpret_cast<int*>(counter);
    return TRUE;
}

BOOL CALLBACK countWindowAndChildren(HWND window, LPARAM counter) {
    countWindow(window, counter);
    EnumChildWindows(window, &countWindow, counter);
    return TRUE;
}

int windowsOfThisThread() {
    int count = 0;
    EnumThreadWindows(GetCurrentThreadId(), &countWindowAndChildren,
                      reinterpret_cast<LPARAM>(&count));
    return count;
}

Usage usageNow() {
    Usage usage;
    usage.committedPrivate = committedPrivateBytes();
    usage.heapInUse = heapBytesInUse();
    usage.threadWindows = windowsOfThisThread();
    usage.gdiObjects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    usage.userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(GetCurrentProcess(),
                             reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                             sizeof counters)) {
        usage.privateBytes = counters.PrivateUsage;
        usage.workingSet = counters.WorkingSetSize;
    }
    return usage;
}

std::wstring windowsPath(const std::filesystem::path& path) {
    std::wstring full(1024, L'\0');
    const DWORD n = GetFullPathNameW(path.wstring().c_str(), static_cast<DWORD>(full.size()),
                                     full.data(), nullptr);
    full.resize(n);
    return full;
}

TEST(DropRobustnessTest, AThousandDropsLeaveNoHandlesOrMemoryBehind) {
    const auto maps = testing::sharedMapsDir();
    if (!maps) {
        GTEST_SKIP() << "skipped: the real maps (../shared/maps) are not present";
    }
    const OleSession ole;
    ASSERT_TRUE(SUCCEEDED(ole.result()));
    MainWindow window;
    ASSERT_TRUE(window.create(GetModuleHandleW(nullptr))) << "no display?";
    window.show();
    IDropTarget& target = window.dropTarget();

    const std::wstring withRows = windowsPath(*maps / "12_ForestDefense_0.20c.w3x");
    const std::wstring withoutRows = windowsPath(*maps / "10_ExampleMap203.w3x");
    const std::wstring noScript = windowsPath(*maps / "03_DotF_v1.4.w3x");
    const std::wstring noMap = windowsPath(*maps / "MANIFEST.tsv");
    const std::wstring folder = windowsPath(*maps);
    // Each kind of drop makes its own data object, as every real drag brings its own.
    const std::vector<std::function<TestDataObject()>> kinds = {
        [&] { return TestDataObject::files({withRows}); },
        [&] { return TestDataObject::files({withoutRows}); },
        [&] { return TestDataObject::files({noScript}); },
        [&] { return TestDataObject::files({noMap}); },
        [&] {
            return TestDataObject::files({withRows, withoutRows, noMap});
        },
        [&] { return TestDataObject::files({folder}); },
        [&] { return TestDataObject::files({}); },
        [&] { return TestDataObject::text(); },
        [&] {
            TestDataObject data = TestDataObject::files({withRows});
            data.refuseGetData = true;
            return data;
        },
        [&] { return TestDataObject::files({L"Z:\\no such folder\\no such map.w3x"}); },
    };
    int rowsSeen = 0;
    const auto dropRound = [&](int drops) {
        for (int i = 0; i < drops; ++i) {
            TestDataObject data = kinds[static_cast<std::size_t>(i) % kinds.size()]();
            DWORD effect = kDropEffectCopy | kDropEffectMove;
            target.DragEnter(&data, 0, POINTL{}, &effect);
            effect = kDropEffectCopy | kDropEffectMove;
            target.DragOver(0, POINTL{}, &effect);
            effect = kDropEffectCopy | kDropEffectMove;
            ASSERT_EQ(target.Drop(&data, 0, POINTL{}, &effect), E_FAIL);
            rowsSeen += static_cast<int>(
                SendMessageW(window.resultList().handle(), LVM_GETITEMCOUNT, 0, 0));
            apptest::pumpWaitingMessages();
        }
    };

    // A first round loads the library and lets every buffer reach its working size.
    dropRound(static_cast<int>(kinds.size()) * 5);
    const Usage before = usageNow();
    dropRound(1000);
    const Usage after = usageNow();
    EXPECT_GT(rowsSeen, 0) << "the map with rows filled the list";

    const auto number = [](SIZE_T n) { return static_cast<unsigned long>(n); };
    std::printf("drops: 1000\n  GDI objects %lu -> %lu, USER objects %lu -> %lu, windows of "
                "the thread %d -> %d\n  private bytes %lu -> %lu, working set %lu -> %lu\n"
                "  committed private memory %lu -> %lu, heap bytes in use %lu -> %lu\n",
                before.gdiObjects, after.gdiObjects, before.userObjects, after.userObjects,
                before.threadWindows, after.threadWindows, number(before.privateBytes),
                number(after.privateBytes), number(before.workingSet), number(after.workingSet),
                number(before.committedPrivate), number(after.committedPrivate),
                number(before.heapInUse), number(after.heapInUse));
    EXPECT_LE(after.gdiObjects, before.gdiObjects);
    EXPECT_LE(after.userObjects, before.userObjects);
    EXPECT_LE(after.threadWindows, before.threadWindows);
    // The heap bound allows for the heaps' own bookkeeping only: a leak of more than 16
    // bytes per drop fails it (a drop that kept its file list, about 80 bytes, does). The
    // committed memory counts whole pages, where the scans' large buffers live.
    constexpr SIZE_T kHeapSlack = 16 * 1024;
    constexpr SIZE_T kPageSlack = 256 * 1024;
    EXPECT_LE(after.heapInUse, before.heapInUse + kHeapSlack);
    EXPECT_LE(after.privateBytes, before.privateBytes + kPageSlack);
    EXPECT_LE(after.committedPrivate, before.committedPrivate + kPageSlack);

    DestroyWindow(window.handle());
    apptest::pumpWaitingMessages();
}

} // namespace
} // namespace quorvell
