// 拖放对象1, the drop target: an OLE object that takes file lists dropped on the window
// it registers and raises `filesDropped` once per accepted drop with the dropped path.
// Text, links and HTML are refused. It has no window of its own; the main window is the
// registered one.
#pragma once

#include "scan/Text.h"

#include <windows.h>

#include <ole2.h>

#include <functional>
#include <utility>

namespace quorvell {

// COM interfaces have no virtual destructor: no one ever deletes through them.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
class DropTarget final : public IDropTarget {
  public:
    // The handler of `filesDropped`. The text is valid only while the handler runs.
    using FilesDropped = std::function<void(const Text& path)>;

    explicit DropTarget(FilesDropped filesDropped) : filesDropped_(std::move(filesDropped)) {}
    // Withdraws a registration that is still in place.
    ~DropTarget();
    DropTarget(const DropTarget&) = delete;
    DropTarget& operator=(const DropTarget&) = delete;

    // Makes `window` the drop window, once: a second call, also after a failed first one,
    // returns false and does nothing. True exactly when RegisterDragDrop answers S_OK.
    bool registerWindow(HWND window);
    // Withdraws the registration (RevokeDragDrop) when the window is being destroyed.
    void revoke();

    HWND registeredWindow() const { return window_; }
    bool acceptableDrag() const { return acceptable_; }

    // IUnknown. The object lives as long as its owner; the count only tells how many
    // references the system holds, and reaching zero ends nothing.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) noexcept override;
    ULONG STDMETHODCALLTYPE AddRef() noexcept override;
    ULONG STDMETHODCALLTYPE Release() noexcept override;

    // IDropTarget. The system calls these on the thread that registered the window.
    HRESULT STDMETHODCALLTYPE DragEnter(IDataObject* data, DWORD keys, POINTL point,
                                        DWORD* effect) noexcept override;
    HRESULT STDMETHODCALLTYPE DragOver(DWORD keys, POINTL point, DWORD* effect) noexcept override;
    HRESULT STDMETHODCALLTYPE DragLeave() noexcept override;
    // Raises `filesDropped` at most once, and answers E_FAIL in every case.
    HRESULT STDMETHODCALLTYPE Drop(IDataObject* data, DWORD keys, POINTL point,
                                   DWORD* effect) noexcept override;

    // What is asked of a drag's data: a file list in global memory.
    static FORMATETC fileListFormat();

  private:
    FilesDropped filesDropped_;
    HWND window_ = nullptr;
    bool registrationTried_ = false;
    bool registered_ = false;
    bool acceptable_ = false;
    ULONG references_ = 0;
};
#pragma GCC diagnostic pop

} // namespace quorvell
