// The drop target's two rules that need no window: which effect a drag gets, and the
// text of the `filesDropped` event built from the dropped names. Portable, so both are
// tested on every build; the values are the system's (DROPEFFECT_*, MK_*).
#pragma once

#include "scan/Text.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quorvell {

inline constexpr std::uint32_t kDropEffectNone = 0;
inline constexpr std::uint32_t kDropEffectCopy = 1;
inline constexpr std::uint32_t kDropEffectMove = 2;
inline constexpr std::uint32_t kDropEffectLink = 4;

inline constexpr std::uint32_t kKeyShift = 0x4;   // MK_SHIFT
inline constexpr std::uint32_t kKeyControl = 0x8; // MK_CONTROL

// The effect reported to the drag source. Only Control and Shift count among the keys;
// every other key and mouse-button bit is ignored. Control and Shift together would ask
// for a link, which is never taken with keys held.
constexpr std::uint32_t dropEffect(bool acceptable, std::uint32_t keys, std::uint32_t allowed) {
    if (!acceptable) {
        return kDropEffectNone;
    }
    const bool control = (keys & kKeyControl) != 0;
    const bool shift = (keys & kKeyShift) != 0;
    const auto ifAllowed = [allowed](std::uint32_t effect) {
        return (allowed & effect) != 0 ? effect : kDropEffectNone;
    };
    if (control && shift) {
        return kDropEffectNone;
    }
    if (control) {
        return ifAllowed(kDropEffectCopy);
    }
    if (shift) {
        return ifAllowed(kDropEffectMove);
    }
    for (const std::uint32_t effect : {kDropEffectCopy, kDropEffectMove, kDropEffectLink}) {
        if ((allowed & effect) != 0) {
            return effect;
        }
    }
    return kDropEffectNone;
}

// The event text: one name alone; two or more each followed by CR LF, the last one
// included, so that text names no file; no names, the empty text.
inline Text filesDroppedText(const std::vector<Text>& names) {
    if (names.size() == 1) {
        return names.front();
    }
    std::string joined;
    for (const Text& name : names) {
        joined += name.view();
        joined += "\r\n";
    }
    return Text(std::move(joined));
}

} // namespace quorvell
