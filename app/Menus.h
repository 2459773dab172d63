// The window's menu definitions. `listMenu` is a hidden top-level menu, so it makes no
// menu bar entry; it exists only as the result list's popup menu, built afresh from
// this definition each time it is shown.
#pragma once

#include "app/Handles.h"

#include <array>

namespace quorvell {

struct MenuItemDefinition {
    const wchar_t* caption;
    UINT commandId;
    bool visible;
    bool enabled;
    bool checked;
};

struct MenuDefinition {
    const wchar_t* caption;
    bool visible;
    std::array<MenuItemDefinition, 1> items;
};

// The command that `copyItem` sends to the main window when it is chosen.
inline constexpr UINT kCopyItemCommand = 40001;

inline constexpr MenuDefinition listMenu{
    L"鼠标", false, {{{L"复制", kCopyItemCommand, true, true, false}}}};
inline constexpr const MenuItemDefinition& copyItem = listMenu.items[0];

// A popup menu holding the visible items of `menu`; empty when the system refuses.
UniqueMenu buildPopupMenu(const MenuDefinition& menu);

} // namespace quorvell
