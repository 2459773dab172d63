// The copy command's clipboard write: one text as CF_TEXT, nothing else.
#pragma once

#include "scan/Text.h"

namespace quorvell {

// Replaces the clipboard's contents with `text` as CF_TEXT: a movable, zero-initialised
// block of the text's length plus one, the bytes and their NUL. False when the clipboard
// cannot be opened (it then keeps what it held) or the block cannot be made or handed
// over (the clipboard is then left empty).
bool setClipboardText(const Text& text);

} // namespace quorvell
