#include "app/Menus.h"

namespace quorvell {

UniqueMenu buildPopupMenu(const MenuDefinition& menu) {
    UniqueMenu popup(CreatePopupMenu());
    if (!popup) {
        return popup;
    }
    for (const MenuItemDefinition& item : menu.items) {
        if (!item.visible) {
            continue;
        }
        const auto flags = static_cast<UINT>(MF_STRING | (item.enabled ? MF_ENABLED : MF_GRAYED) |
                                             (item.checked ? MF_CHECKED : MF_UNCHECKED));
        if (!AppendMenuW(popup.get(), flags, item.commandId, item.caption)) {
            return UniqueMenu();
        }
    }
    return popup;
}

} // namespace quorvell
