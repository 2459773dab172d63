// 拖放对象1 driven through its IDropTarget notifications with the tests' own data
// objects: the effect table, the drop's event text, refused data, the interface table,
// the registration, and the drop target on the real main window.
#include "app/DropTarget.h"
#include "DropEffectCases.h"
#include "TestDataObject.h"
#include "WindowTestSupport.h"
#include "map/MapArchiveReader.h"
#include "map/StormApi.h"
#include "scan/ScanDriver.h"
#include "tests/support/RecordingSink.h"
#include "tests/support/TestPaths.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace quorvell {
namespace {

using apptest::TestDataObject;

// OLE for the tests of this file; nested initialisations are counted by the system.
class OleTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(ole_.result())); }
    OleSession ole_;
};

struct DropOutcome {
    HRESULT result;
    DWORD effect;
};

// Enter, one move over the window, then the drop, with the same keys and allowed effects.
DropOutcome dragAndDrop(IDropTarget& target, IDataObject& data, DWORD keys, DWORD allowed) {
    DWORD effect = allowed;
    target.DragEnter(&data, keys, POINTL{10, 10}, &effect);
    effect = allowed;
    target.DragOver(keys, POINTL{12, 12}, &effect);
    effect = allowed;
    const HRESULT result = target.Drop(&data, keys, POINTL{12, 12}, &effect);
    return {result, effect};
}

class DropTargetTest : public OleTest {
  protected:
    DropTarget target_{[this](const Text& path) { events_.emplace_back(path.view()); }};
    std::vector<std::string> events_;
};

TEST_F(DropTargetTest, ReportsTheEffectOfTheTableAtEnterOverAndDrop) {
    for (const apptest::EffectCase& c : apptest::kEffectCases) {
        TestDataObject data = TestDataObject::files({L"C:\\maps\\a.w3x"});
        events_.clear();
        DWORD effect = c.allowed;
        EXPECT_EQ(target_.DragEnter(&data, c.keys, POINTL{0, 0}, &effect), S_OK) << c.name;
        EXPECT_EQ(effect, c.expected) << "enter: " << c.name;
        effect = c.allowed;
        EXPECT_EQ(target_.DragOver(c.keys, POINTL{1, 1}, &effect), S_OK) << c.name;
        EXPECT_EQ(effect, c.expected) << "over: " << c.name;
        effect = c.allowed;
        EXPECT_EQ(target_.Drop(&data, c.keys, POINTL{1, 1}, &effect), E_FAIL) << c.name;
        EXPECT_EQ(effect, c.expected) << "drop: " << c.name;
        // A drop raises the event exactly when it is given an effect.
        EXPECT_EQ(events_.size(), c.expected == kDropEffectNone ? 0u : 1u) << c.name;
        EXPECT_EQ(data.queryGetDataCalls, 1) << "asked once, at enter: " << c.name;
    }
}

TEST_F(DropTargetTest, RefusesDataWithoutAFileListWhateverTheKeys) {
    for (const apptest::EffectCase& c : apptest::kEffectCases) {
        TestDataObject text = TestDataObject::text();
        const DropOutcome outcome = dragAndDrop(target_, text, c.keys, c.allowed);
        EXPECT_EQ(outcome.result, E_FAIL) << c.name;
        EXPECT_EQ(outcome.effect, DWORD{kDropEffectNone}) << c.name;
        EXPECT_EQ(text.getDataCalls, 0) << c.name;
    }
    EXPECT_TRUE(events_.empty());
}

TEST_F(DropTargetTest, KeepsTheFlagFromEnterUntilLeave) {
    TestDataObject data = TestDataObject::files({L"a"});
    DWORD effect = kDropEffectCopy;
    target_.DragEnter(&data, 0, POINTL{}, &effect);
    EXPECT_TRUE(target_.acceptableDrag());
    EXPECT_EQ(target_.DragLeave(), S_OK);
    EXPECT_FALSE(target_.acceptableDrag());
    effect = kDropEffectCopy;
    target_.DragOver(0, POINTL{}, &effect);
    EXPECT_EQ(effect, DWORD{kDropEffectNone}) << "after leave nothing is offered";
    effect = kDropEffectCopy;
    EXPECT_EQ(target_.Drop(&data, 0, POINTL{}, &effect), E_FAIL);
    EXPECT_TRUE(events_.empty()) << "a drop without an enter takes nothing";
    // After a drop the flag stays until the next enter.
    dragAndDrop(target_, data, 0, kDropEffectCopy);
    EXPECT_TRUE(target_.acceptableDrag());
    EXPECT_EQ(events_.size(), 1u);
}

TEST_F(DropTargetTest, EventTextOfOneSeveralAndNoNames) {
    struct Case {
        const char* name;
        std::vector<std::wstring> files;
        std::string expected;
    };
    const Case cases[] = {
        {"one file", {L"C:\\maps\\(2)Test.w3x"}, "C:\\maps\\(2)Test.w3x"},
        {"three files", {L"C:\\a", L"C:\\b", L"C:\\c"}, "C:\\a\r\nC:\\b\r\nC:\\c\r\n"},
        {"two files", {L"C:\\a.w3x", L"C:\\b.w3m"}, "C:\\a.w3x\r\nC:\\b.w3m\r\n"},
        {"a folder", {L"C:\\maps"}, "C:\\maps"},
        {"no names", {}, ""},
        {"a long path", {L"C:\\" + std::wstring(400, L'x')}, "C:\\" + std::string(400, 'x')},
    };
    for (const Case& c : cases) {
        events_.clear();
        TestDataObject data = TestDataObject::files(c.files);
        const DropOutcome outcome = dragAndDrop(target_, data, 0, kDropEffectCopy);
        EXPECT_EQ(outcome.result, E_FAIL) << c.name;
        EXPECT_EQ(outcome.effect, DWORD{kDropEffectCopy}) << c.name;
        ASSERT_EQ(events_.size(), 1u) << "one event per drop: " << c.name;
        EXPECT_EQ(events_[0], c.expected) << c.name;
        EXPECT_EQ(data.getDataCalls, 1) << c.name;
    }
}

TEST_F(DropTargetTest, ReadsAnAnsiFileListToo) {
    TestDataObject data(TestDataObject::Offer::fileList,
                        apptest::ansiFileListBytes({"C:\\x.w3x", "C:\\y.w3x"}));
    dragAndDrop(target_, data, 0, kDropEffectCopy);
    ASSERT_EQ(events_.size(), 1u);
    EXPECT_EQ(events_[0], "C:\\x.w3x\r\nC:\\y.w3x\r\n");
}

TEST_F(DropTargetTest, RaisesNothingWhenTheListCannotBeFetchedOrRead) {
    struct Case {
        const char* name;
        std::vector<unsigned char> bytes;
        bool refuseGetData;
    };
    std::vector<unsigned char> unended = apptest::fileListBytes({L"C:\\a"});
    unended.resize(unended.size() - 4); // neither the name's NUL nor the list's
    std::vector<unsigned char> unendedEmpty = apptest::fileListBytes({});
    unendedEmpty.resize(unendedEmpty.size() - 2); // an empty list of one NUL only
    std::vector<unsigned char> beyond = apptest::fileListBytes({L"C:\\a"});
    const DWORD farOffset = 0x10000;
    std::memcpy(beyond.data(), &farOffset, sizeof farOffset); // pFiles past the block
    const Case cases[] = {
        {"GetData refused", apptest::fileListBytes({L"C:\\a"}), true},
        {"shorter than its header", std::vector<unsigned char>(8, 0), false},
        {"names run past the block", unended, false},
        {"an empty list of one NUL", unendedEmpty, false},
        {"names start past the block", beyond, false},
    };
    for (const Case& c : cases) {
        TestDataObject data(TestDataObject::Offer::fileList, c.bytes);
        data.refuseGetData = c.refuseGetData;
        const DropOutcome outcome = dragAndDrop(target_, data, 0, kDropEffectCopy);
        EXPECT_EQ(outcome.result, E_FAIL) << c.name;
        EXPECT_EQ(data.getDataCalls, 1) << c.name;
    }
    EXPECT_TRUE(events_.empty());
}

TEST_F(DropTargetTest, AnswersForIUnknownAndIDropTargetOnly) {
    struct Case {
        const char* name;
        const IID* iid;
        HRESULT expected;
    };
    const Case cases[] = {
        {"IUnknown", &IID_IUnknown, S_OK},
        {"IDropTarget", &IID_IDropTarget, S_OK},
        {"IDataObject", &IID_IDataObject, E_NOINTERFACE},
        {"IDropSource", &IID_IDropSource, E_NOINTERFACE},
        {"IClassFactory", &IID_IClassFactory, E_NOINTERFACE},
        {"IMarshal", &IID_IMarshal, E_NOINTERFACE},
        {"IDispatch", &IID_IDispatch, E_NOINTERFACE},
    };
    for (const Case& c : cases) {
        void* object = reinterpret_cast<void*>(0x1);
        EXPECT_EQ(target_.QueryInterface(*c.iid, &object), c.expected) << c.name;
        if (c.expected == S_OK) {
            EXPECT_EQ(object, static_cast<IDropTarget*>(&target_)) << c.name;
            static_cast<IUnknown*>(object)->Release();
        } else {
            EXPECT_EQ(object, nullptr) << c.name;
        }
    }
    EXPECT_EQ(target_.QueryInterface(IID_IUnknown, nullptr), E_POINTER);
    target_.AddRef();
    EXPECT_EQ(target_.Release(), 0u) << "every reference taken was given back";
}

// A plain top-level window to register.
struct PlainWindow {
    PlainWindow()
        : handle(CreateWindowExW(0, L"STATIC", L"drop test", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr)) {}
    ~PlainWindow() { DestroyWindow(handle); }
    HWND handle;
};

TEST_F(DropTargetTest, RegistersOnceAndRevokes) {
    PlainWindow window;
    ASSERT_NE(window.handle, nullptr);
    EXPECT_TRUE(target_.registerWindow(window.handle));
    EXPECT_EQ(target_.registeredWindow(), window.handle);
    DropTarget other{nullptr};
    EXPECT_EQ(RegisterDragDrop(window.handle, &other), DRAGDROP_E_ALREADYREGISTERED);
    EXPECT_FALSE(target_.registerWindow(window.handle)) << "at most once";
    target_.AddRef();
    EXPECT_GT(target_.Release(), 0u) << "the system holds the registered target";

    target_.revoke();
    target_.AddRef();
    EXPECT_EQ(target_.Release(), 0u) << "revoking gives the system's references back";
    EXPECT_EQ(RegisterDragDrop(window.handle, &other), S_OK) << "the window is free again";
    EXPECT_EQ(RevokeDragDrop(window.handle), S_OK);
    EXPECT_FALSE(target_.registerWindow(window.handle)) << "still at most once";
}

TEST_F(DropTargetTest, AFailedRegistrationIsRememberedAsTheOneTry) {
    EXPECT_FALSE(target_.registerWindow(nullptr));
    PlainWindow window;
    EXPECT_FALSE(target_.registerWindow(window.handle)) << "a second call, after a failed one";
    EXPECT_EQ(target_.registeredWindow(), nullptr);
    DropTarget other{nullptr};
    EXPECT_EQ(RegisterDragDrop(window.handle, &other), S_OK) << "nothing was registered";
    RevokeDragDrop(window.handle);
}

// ---- The drop target of the real main window, scanning into the result list.

std::vector<ResultRow> listRows(ResultList& list) {
    std::vector<ResultRow> rows;
    const auto count =
        static_cast<std::int32_t>(SendMessageW(list.handle(), LVM_GETITEMCOUNT, 0, 0));
    for (std::int32_t row = 0; row < count; ++row) {
        rows.push_back({list.cellText(row, 0), list.cellText(row, 1), list.cellText(row, 2)});
    }
    return rows;
}

// The full Windows path of a file of the real maps (wide, as a drag source gives it).
std::wstring windowsPath(const std::filesystem::path& path) {
    const std::wstring given = path.wstring();
    std::wstring full(1024, L'\0');
    const DWORD n =
        GetFullPathNameW(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    full.resize(n);
    return full;
}

std::string ansiPath(const std::wstring& wide) {
    const int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, out.data(), n, nullptr, nullptr);
    out.resize(static_cast<std::size_t>(n > 0 ? n - 1 : 0));
    return out;
}

class WindowDropTest : public OleTest {
  protected:
    void SetUp() override {
        OleTest::SetUp();
        ASSERT_TRUE(window_.create(GetModuleHandleW(nullptr))) << "no display?";
    }
    void TearDown() override {
        if (window_.handle()) {
            DestroyWindow(window_.handle());
        }
        apptest::pumpWaitingMessages();
    }
    void fillSampleRows() {
        list().clearRows();
        list().appendRow({"p1", "-ar", "true"});
        list().appendRow({"p2", "-sp", "false"});
    }
    ResultList& list() { return window_.resultList(); }

    MainWindow window_;
};

TEST_F(WindowDropTest, RegistersTheMainWindowItselfAtCreation) {
    EXPECT_EQ(window_.dropTarget().registeredWindow(), window_.handle());
    EXPECT_FALSE(window_.dropTarget().registerWindow(window_.handle())) << "already tried";
    DropTarget other{nullptr};
    EXPECT_EQ(RegisterDragDrop(window_.handle(), &other), DRAGDROP_E_ALREADYREGISTERED);
    // Destroying the window withdraws the registration: the system lets go of the target.
    DestroyWindow(window_.handle());
    DropTarget& target = window_.dropTarget();
    target.AddRef();
    EXPECT_EQ(target.Release(), 0u);
}

TEST_F(WindowDropTest, DroppedMapFillsTheListAsTheScanDoes) {
    const auto maps = testing::sharedMapsDir();
    if (!maps) {
        GTEST_SKIP() << "skipped: the real maps (../shared/maps) are not present";
    }
    const std::wstring map = windowsPath(*maps / "12_ForestDefense_0.20c.w3x");
    testing::RecordingSink expected;
    MapArchiveReader reader(systemStormApi());
    ScanDriver(reader, expected).scanMapFile(Text(std::string_view(ansiPath(map))));
    ASSERT_FALSE(expected.rows.empty()) << "Storm.dll beside the test? " << ansiPath(map);

    fillSampleRows();
    TestDataObject data = TestDataObject::files({map});
    const DropOutcome outcome = dragAndDrop(window_.dropTarget(), data, 0, kDropEffectCopy);
    EXPECT_EQ(outcome.result, E_FAIL) << "E_FAIL also after a successful scan";
    EXPECT_EQ(outcome.effect, DWORD{kDropEffectCopy});
    EXPECT_EQ(listRows(list()), expected.rows);
}

TEST_F(WindowDropTest, DropsThatNameNoMapEmptyTheList) {
    const auto maps = testing::sharedMapsDir();
    if (!maps) {
        GTEST_SKIP() << "skipped: the real maps (../shared/maps) are not present";
    }
    const std::wstring map = windowsPath(*maps / "12_ForestDefense_0.20c.w3x");
    struct Case {
        const char* name;
        std::vector<std::wstring> files;
    };
    const Case cases[] = {
        {"three files, each a map", {map, map, map}},
        {"a folder", {windowsPath(*maps)}},
        {"no names", {}},
        {"a file that is no map", {windowsPath(*maps / "MANIFEST.tsv")}},
    };
    for (const Case& c : cases) {
        fillSampleRows();
        TestDataObject data = TestDataObject::files(c.files);
        EXPECT_EQ(dragAndDrop(window_.dropTarget(), data, 0, kDropEffectCopy).result, E_FAIL);
        EXPECT_EQ(SendMessageW(list().handle(), LVM_GETITEMCOUNT, 0, 0), 0) << c.name;
    }
}

TEST_F(WindowDropTest, RefusedDropsKeepTheRows) {
    struct Case {
        const char* name;
        TestDataObject data;
        DWORD keys;
    };
    Case cases[] = {
        {"text, no file list", TestDataObject::text(), 0},
        {"file list with Control and Shift", TestDataObject::files({L"C:\\a"}),
         kKeyControl | kKeyShift},
        {"file list that cannot be fetched", TestDataObject::files({L"C:\\a"}), 0},
    };
    cases[2].data.refuseGetData = true;
    for (Case& c : cases) {
        fillSampleRows();
        EXPECT_EQ(dragAndDrop(window_.dropTarget(), c.data, c.keys, apptest::kAll).result, E_FAIL);
        EXPECT_EQ(SendMessageW(list().handle(), LVM_GETITEMCOUNT, 0, 0), 2) << c.name;
    }
}

} // namespace
} // namespace quorvell
