#include "app/Clipboard.h"

#include "app/Handles.h"

#include <windows.h>

#include <cstring>

namespace quorvell {

bool setClipboardText(const Text& text) {
    // Opened without an owner window: no one is asked to render anything later.
    const ClipboardSession clipboard(nullptr);
    if (!clipboard.isOpen()) {
        return false;
    }
    EmptyClipboard();
    const auto size = static_cast<SIZE_T>(text.length()) + 1;
    UniqueGlobalMemory block(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size));
    if (!block) {
        return false;
    }
    {
        const GlobalMemoryLock lock(block.get());
        if (!lock.data()) {
            return false;
        }
        std::memcpy(lock.data(), text.c_str(), size);
    }
    // Once taken, the block is the clipboard's; when refused, it is still ours to free.
    if (!SetClipboardData(CF_TEXT, block.get())) {
        return false;
    }
    block.release();
    return true;
}

} // namespace quorvell
