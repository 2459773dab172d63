// The move-only owners of handles and COM pointers: each releases exactly once.
#include "app/Handles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <type_traits>

namespace quorvell {
namespace {

static_assert(!std::is_copy_constructible_v<UniqueMenu>);
static_assert(!std::is_copy_assignable_v<UniqueWindow>);
static_assert(std::is_nothrow_move_constructible_v<UniqueIcon>);
static_assert(!std::is_copy_constructible_v<ComPtr<IUnknown>>);
static_assert(!std::is_copy_constructible_v<ClipboardSession>);

TEST(UniqueHandleTest, MoveHandsOverOwnershipAndTheLastOwnerCloses) {
    HMENU menu = CreatePopupMenu();
    ASSERT_TRUE(IsMenu(menu));
    {
        UniqueMenu first(menu);
        UniqueMenu second(std::move(first));
        EXPECT_FALSE(first); // NOLINT(bugprone-use-after-move): a moved-from owner is empty
        EXPECT_EQ(second.get(), menu);
        UniqueMenu third;
        third = std::move(second);
        EXPECT_EQ(third.get(), menu);
        EXPECT_TRUE(IsMenu(menu));
    }
    EXPECT_FALSE(IsMenu(menu)) << "closed once, by the last owner";
}

TEST(UniqueHandleTest, AssignmentClosesWhatWasHeldAndReleaseKeepsItOpen) {
    HMENU old = CreatePopupMenu();
    HMENU fresh = CreatePopupMenu();
    UniqueMenu holder(old);
    holder = UniqueMenu(fresh);
    EXPECT_FALSE(IsMenu(old));
    EXPECT_EQ(holder.get(), fresh);
    holder = std::move(holder); // self-move keeps the handle
    EXPECT_EQ(holder.get(), fresh);
    HMENU released = holder.release();
    EXPECT_FALSE(holder);
    holder.reset();
    EXPECT_TRUE(IsMenu(released));
    DestroyMenu(released);
}

TEST(UniqueHandleTest, WindowOwnerDestroysTheWindow) {
    HWND window = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(window, nullptr) << "no display?";
    {
        UniqueWindow owner(window);
        UniqueWindow moved(std::move(owner));
        EXPECT_TRUE(IsWindow(window));
    }
    EXPECT_FALSE(IsWindow(window));
}

TEST(GlobalMemoryTest, LockGivesTheBytesAndUnlocksAtTheEnd) {
    UniqueGlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 4));
    ASSERT_TRUE(memory);
    {
        GlobalMemoryLock lock(memory.get());
        ASSERT_NE(lock.data(), nullptr);
        std::memcpy(lock.data(), "-ar", 4);
        EXPECT_EQ(GlobalFlags(memory.get()) & GMEM_LOCKCOUNT, 1u);
        GlobalMemoryLock moved(std::move(lock));
        EXPECT_EQ(GlobalFlags(memory.get()) & GMEM_LOCKCOUNT, 1u);
    }
    EXPECT_EQ(GlobalFlags(memory.get()) & GMEM_LOCKCOUNT, 0u);
    GlobalMemoryLock nothing(nullptr);
    EXPECT_EQ(nothing.data(), nullptr);
}

// An IUnknown that counts its references. COM interfaces have no virtual destructor by
// design: an object ends through Release, never through a delete of the interface.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class CountedObject final : public IUnknown {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    ULONG references = 1;
};
#pragma GCC diagnostic pop

TEST(ComPtrTest, ReleasesTheHeldReferenceOnceAfterMoves) {
    CountedObject object;
    {
        ComPtr<IUnknown> first = ComPtr<IUnknown>::adopt(&object);
        ComPtr<IUnknown> second(std::move(first));
        EXPECT_FALSE(first); // NOLINT(bugprone-use-after-move)
        ComPtr<IUnknown> third;
        third = std::move(second);
        EXPECT_EQ(third.get(), &object);
        EXPECT_EQ(object.references, 1u);
    }
    EXPECT_EQ(object.references, 0u);

    CountedObject other;
    ComPtr<IUnknown> slot = ComPtr<IUnknown>::adopt(&other);
    IUnknown** out = slot.put();
    EXPECT_EQ(other.references, 0u) << "put() releases what was held";
    EXPECT_EQ(*out, nullptr);
}

// Another program may hold the clipboard for a moment: wait for it a little.
ClipboardSession openClipboard() {
    for (int attempt = 0;; ++attempt) {
        ClipboardSession session(nullptr);
        if (session.isOpen() || attempt == 100) {
            return session;
        }
        Sleep(20);
    }
}

TEST(ClipboardSessionTest, ClosesTheClipboardItOpened) {
    {
        ClipboardSession session = openClipboard();
        ASSERT_TRUE(session.isOpen());
        ClipboardSession moved(std::move(session));
        EXPECT_TRUE(moved.isOpen());
        EXPECT_FALSE(session.isOpen()); // NOLINT(bugprone-use-after-move)
    }
    // Closed again: a second session can open it.
    ClipboardSession again = openClipboard();
    EXPECT_TRUE(again.isOpen());
}

TEST(OleSessionTest, InitialisesOleOnThisThread) {
    OleSession session;
    EXPECT_TRUE(SUCCEEDED(session.result())) << std::hex << session.result();
}

} // namespace
} // namespace quorvell
