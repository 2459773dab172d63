// MainWindow: the program's one window, with the label 标签1, the result list
// 超级列表框1, the drop target 拖放对象1 and the menu definitions, and the table that
// binds the controls' events to their handlers.
#pragma once

#include "app/DropTarget.h"
#include "app/Handles.h"
#include "app/Menus.h"
#include "app/ResultList.h"
#include "scan/Text.h"

#include <windows.h>

#include <cstdint>

namespace quorvell {

class MainWindow {
  public:
    static constexpr const wchar_t* kClassName = L"QuorvellMainWindow";
    static constexpr const wchar_t* kCaption = L"Quorvell";
    static constexpr const wchar_t* kLabelText = L"将地图拖入窗口开始扫描";
    static constexpr int kResultListId = 1001;
    static constexpr int kLabelId = 1002;
    static constexpr DWORD kStyle =
        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

    MainWindow() = default;
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    // Builds the window hidden and centred, with its icons, font and controls, then
    // raises the creation event. False when the window cannot be created, and while
    // this MainWindow still has a window.
    bool create(HINSTANCE instance);
    // The first show, after creation.
    void show();

    // The window, or null once it has been destroyed.
    HWND handle() const { return window_.get(); }
    ResultList& resultList() { return list_; }
    HWND labelHandle() const { return label_; }
    DropTarget& dropTarget() { return dropTarget_; }

    // Shows `menu`'s items as a popup owned by this window with its top-left corner at
    // the screen position (x, y), and returns when the popup has closed. A chosen item
    // reaches the window as its command afterwards.
    void showPopupMenu(const MenuDefinition& menu, std::int32_t x, std::int32_t y);

  private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept;
    LRESULT handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    bool registerClass() const;
    void keepFixedSize(int left, int top);
    void setIconsAndFont();
    bool createControls();

    // Messages.
    void onGetMinMaxInfo(MINMAXINFO& limits);
    LRESULT onNotify(const NMHDR& header);
    void onCommand(UINT commandId);
    void onDestroy();

    // The events table: the handlers bound to the window's and controls' events.
    void onWindowCreated();
    void onListRightClick();
    void onCopyChosen();
    void onFilesDropped(const Text& path);

    HINSTANCE instance_ = nullptr;
    UniqueIcon bigIcon_;
    UniqueIcon smallIcon_;
    ResultList list_;
    // Before the window, so that it still exists while the window is destroyed.
    DropTarget dropTarget_{[this](const Text& path) { onFilesDropped(path); }};
    HFONT font_ = nullptr; // a stock object: never deleted
    bool endsProgramOnDestroy_ = false;
    HWND label_ = nullptr; // a child: destroyed with the window
    UniqueWindow window_;  // declared last, so it goes first
};

} // namespace quorvell
