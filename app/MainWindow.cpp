#include "app/MainWindow.h"

#include "app/Clipboard.h"
#include "app/Label.h"
#include "app/Menus.h"
#include "app/Placement.h"
#include "app/WindowClass.h"
#include "map/MapArchiveReader.h"
#include "map/StormApi.h"
#include "scan/ScanDriver.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

namespace quorvell {

MainWindow::~MainWindow() {
    window_.reset();
}

bool MainWindow::registerClass() const {
    return registerWindowClass(instance_, kClassName, &MainWindow::windowProc,
                               GetSysColorBrush(COLOR_BTNFACE));
}

bool MainWindow::create(HINSTANCE instance) {
    if (window_) {
        return false; // one window per MainWindow
    }
    instance_ = instance;
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    if (!registerClass() || !Label::registerClass(instance_)) {
        return false;
    }

    // Centred on the whole primary screen, not its work area.
    const ScreenPoint origin =
        centredOrigin(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    CreateWindowExW(0, kClassName, kCaption, kStyle, origin.x, origin.y, kMainWindowWidth,
                    kMainWindowHeight, nullptr, nullptr, instance_, this);
    if (!window_) {
        return false;
    }
    keepFixedSize(origin.x, origin.y);
    setIconsAndFont();
    if (!createControls()) {
        window_.reset();
        return false;
    }
    endsProgramOnDestroy_ = true;
    onWindowCreated();
    return true;
}

// The system clamps a window that it creates larger than the screen (before this window
// can answer for its size limits); the window keeps its outer size whatever the screen.
void MainWindow::keepFixedSize(int left, int top) {
    RECT outer;
    if (!GetWindowRect(window_.get(), &outer)) {
        return;
    }
    if (outer.right - outer.left != kMainWindowWidth ||
        outer.bottom - outer.top != kMainWindowHeight) {
        SetWindowPos(window_.get(), nullptr, left, top, kMainWindowWidth, kMainWindowHeight,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void MainWindow::setIconsAndFont() {
    bigIcon_.reset(static_cast<HICON>(
        LoadImageW(instance_, L"DEFAULT_ICON", IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR)));
    smallIcon_.reset(static_cast<HICON>(
        LoadImageW(instance_, L"DEFAULT_ICON", IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR)));
    SendMessageW(window_.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_.get()));
    SendMessageW(window_.get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.get()));
    SendMessageW(window_.get(), WM_SETFONT,
                 reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
}

// In the order of the form: the result list, then the label. The drop target has no
// window of its own: the main window itself is what it registers (onWindowCreated).
bool MainWindow::createControls() {
    if (!list_.create(window_.get(), instance_, kResultListId)) {
        return false;
    }
    label_ = Label::create(window_.get(), instance_, kLabelId, kLabelText, RECT{33, 6, 297, 22});
    if (!label_) {
        return false;
    }
    ShowWindow(list_.handle(), SW_SHOWNA);
    ShowWindow(label_, SW_SHOWNA);
    return true;
}

void MainWindow::show() {
    ShowWindow(window_.get(), SW_SHOW);
    UpdateWindow(window_.get());
}

// An exception cannot unwind through the system's frames: noexcept ends the program
// here instead, and nothing below throws except on exhausted memory.
LRESULT CALLBACK MainWindow::windowProc(HWND window, UINT message, WPARAM wParam,
                                        LPARAM lParam) noexcept {
    MainWindow* self = nullptr;
    if (message == WM_NCCREATE) {
        const auto* creation = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        self = static_cast<MainWindow*>(creation->lpCreateParams);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_.reset(window);
    } else {
        self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    }
    if (!self) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        self->window_.release();
        self->label_ = nullptr;
        return DefWindowProcW(window, message, wParam, lParam);
    }
    return self->handleMessage(window, message, wParam, lParam);
}

LRESULT MainWindow::handleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NOTIFY:
        return onNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_COMMAND:
        if (HIWORD(wParam) == 0 && lParam == 0) { // a menu command
            onCommand(LOWORD(wParam));
            return 0;
        }
        break;
    case WM_GETMINMAXINFO:
        onGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam));
        return 0;
    case WM_SETFONT:
        font_ = reinterpret_cast<HFONT>(wParam);
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    case WM_DESTROY:
        onDestroy();
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The system limits a window to about the screen's size; on a smaller screen this one
// keeps its fixed size all the same, partly off the screen.
void MainWindow::onGetMinMaxInfo(MINMAXINFO& limits) {
    limits.ptMaxTrackSize.x = std::max<LONG>(limits.ptMaxTrackSize.x, kMainWindowWidth);
    limits.ptMaxTrackSize.y = std::max<LONG>(limits.ptMaxTrackSize.y, kMainWindowHeight);
}

// The events table. The creation event runs onWindowCreated at the end of create();
// the drop target's filesDropped runs onFilesDropped (bound where dropTarget_ is
// declared). Every other event of the window and its controls has no handler.
LRESULT MainWindow::onNotify(const NMHDR& header) {
    struct NotifyBinding {
        int controlId;
        UINT code;
        void (MainWindow::*handler)();
    };
    static constexpr NotifyBinding bindings[] = {
        {kResultListId, static_cast<UINT>(NM_RCLICK), &MainWindow::onListRightClick},
    };
    for (const NotifyBinding& binding : bindings) {
        if (header.idFrom == static_cast<UINT_PTR>(binding.controlId) &&
            header.code == binding.code) {
            (this->*binding.handler)();
        }
    }
    return 0;
}

void MainWindow::onCommand(UINT commandId) {
    struct CommandBinding {
        UINT commandId;
        void (MainWindow::*handler)();
    };
    static constexpr CommandBinding bindings[] = {
        {copyItem.commandId, &MainWindow::onCopyChosen},
    };
    for (const CommandBinding& binding : bindings) {
        if (commandId == binding.commandId) {
            (this->*binding.handler)();
        }
    }
}

// The drop registration goes with the window. The last window of the program is gone:
// end the message loop. A window that never finished its creation posts nothing: the
// fatal error box that follows must not find a quit message waiting, which would close
// it at once.
void MainWindow::onDestroy() {
    dropTarget_.revoke();
    if (std::exchange(endsProgramOnDestroy_, false)) {
        PostQuitMessage(0);
    }
}

// Hands the window itself, the top-level one, to the drop target; a failed
// registration only means that the window refuses every drop.
void MainWindow::onWindowCreated() {
    dropTarget_.registerWindow(window_.get());
}

// The pointer's place, asked for once per coordinate, then the list's popup there. The
// event carries nothing: which row was clicked is left to the list's own selection.
void MainWindow::onListRightClick() {
    POINT pointer{};
    GetCursorPos(&pointer);
    const std::int32_t x = pointer.x;
    GetCursorPos(&pointer);
    const std::int32_t y = pointer.y;
    showPopupMenu(listMenu, x, y);
}

void MainWindow::showPopupMenu(const MenuDefinition& menu, std::int32_t x, std::int32_t y) {
    const UniqueMenu popup = buildPopupMenu(menu);
    if (!popup) {
        return;
    }
    // Without TPM_RETURNCMD the chosen item is posted to the owner as WM_COMMAND, so the
    // command runs after the popup has closed and been destroyed.
    TrackPopupMenu(popup.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, x, y, 0,
                   window_.get(), nullptr);
}

// The selected row's command, or the empty text when no row is selected.
void MainWindow::onCopyChosen() {
    const std::int32_t row = list_.selectedRow();
    const Text text = list_.cellText(row, 1);
    setClipboardText(text);
}

// One scan per drop; the list is emptied and refilled whatever the path names.
void MainWindow::onFilesDropped(const Text& path) {
    MapArchiveReader reader(systemStormApi());
    ScanDriver(reader, list_).scanMapFile(path);
}

} // namespace quorvell
