// Ownership of Win32 handles and COM pointers. Every owner is move-only, so a copy can
// never release the same handle twice; a moved-from owner holds nothing.
#pragma once

#include <windows.h>

#include <ole2.h>

#include <utility>

namespace quorvell {

// Owns one handle; Traits name the handle type, its empty value and its release call.
template <typename Traits> class UniqueHandle {
  public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::empty(); }

    // Gives up ownership without releasing.
    Handle release() { return std::exchange(handle_, Traits::empty()); }

    void reset(Handle handle = Traits::empty()) {
        const Handle old = std::exchange(handle_, handle);
        if (old != Traits::empty()) {
            Traits::close(old);
        }
    }

  private:
    Handle handle_ = Traits::empty();
};

struct WindowTraits {
    using Handle = HWND;
    static HWND empty() { return nullptr; }
    static void close(HWND window) { DestroyWindow(window); }
};

struct MenuTraits {
    using Handle = HMENU;
    static HMENU empty() { return nullptr; }
    static void close(HMENU menu) { DestroyMenu(menu); }
};

struct IconTraits {
    using Handle = HICON;
    static HICON empty() { return nullptr; }
    static void close(HICON icon) { DestroyIcon(icon); }
};

struct GlobalMemoryTraits {
    using Handle = HGLOBAL;
    static HGLOBAL empty() { return nullptr; }
    static void close(HGLOBAL memory) { GlobalFree(memory); }
};

using UniqueWindow = UniqueHandle<WindowTraits>;
using UniqueMenu = UniqueHandle<MenuTraits>;
using UniqueIcon = UniqueHandle<IconTraits>;
using UniqueGlobalMemory = UniqueHandle<GlobalMemoryTraits>;

// Holds a global memory block locked for as long as it lives.
class GlobalMemoryLock {
  public:
    explicit GlobalMemoryLock(HGLOBAL memory)
        : memory_(memory), data_(memory ? GlobalLock(memory) : nullptr) {}
    ~GlobalMemoryLock() {
        if (data_) {
            GlobalUnlock(memory_);
        }
    }
    GlobalMemoryLock(GlobalMemoryLock&& other) noexcept
        : memory_(std::exchange(other.memory_, nullptr)),
          data_(std::exchange(other.data_, nullptr)) {}
    GlobalMemoryLock& operator=(GlobalMemoryLock&&) = delete;
    GlobalMemoryLock(const GlobalMemoryLock&) = delete;
    GlobalMemoryLock& operator=(const GlobalMemoryLock&) = delete;

    // The block's bytes, or null when it could not be locked.
    void* data() const { return data_; }

  private:
    HGLOBAL memory_;
    void* data_;
};

// The clipboard held open for as long as this lives (when opening succeeded).
class ClipboardSession {
  public:
    explicit ClipboardSession(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
    ~ClipboardSession() {
        if (open_) {
            CloseClipboard();
        }
    }
    ClipboardSession(ClipboardSession&& other) noexcept
        : open_(std::exchange(other.open_, false)) {}
    ClipboardSession& operator=(ClipboardSession&&) = delete;
    ClipboardSession(const ClipboardSession&) = delete;
    ClipboardSession& operator=(const ClipboardSession&) = delete;

    bool isOpen() const { return open_; }

  private:
    bool open_;
};

// OLE initialised on this thread for as long as this lives.
class OleSession {
  public:
    OleSession() : result_(OleInitialize(nullptr)) {}
    ~OleSession() {
        if (SUCCEEDED(result_)) {
            OleUninitialize();
        }
    }
    OleSession(const OleSession&) = delete;
    OleSession& operator=(const OleSession&) = delete;

    HRESULT result() const { return result_; }

  private:
    HRESULT result_;
};

// Holds one reference to a COM object.
template <typename Interface> class ComPtr {
  public:
    ComPtr() = default;
    // Takes over a reference the caller already holds.
    static ComPtr adopt(Interface* object) {
        ComPtr p;
        p.object_ = object;
        return p;
    }
    ~ComPtr() { reset(); }

    ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept {
        if (this != &other) {
            reset();
            object_ = std::exchange(other.object_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    Interface* get() const { return object_; }
    Interface* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

    // Releases what is held and gives the slot for a call that hands out a reference.
    Interface** put() {
        reset();
        return &object_;
    }

    void reset() {
        if (Interface* old = std::exchange(object_, nullptr)) {
            old->Release();
        }
    }

  private:
    Interface* object_ = nullptr;
};

} // namespace quorvell
