// The effect rule row by row: keys held × effects the source allows, for a drag whose
// data offers a file list. Shared by the portable rule test and the drop target's test.
#pragma once

#include "app/DropRules.h"

#include <cstdint>

namespace quorvell::apptest {

struct EffectCase {
    const char* name;
    std::uint32_t keys;
    std::uint32_t allowed;
    std::uint32_t expected;
};

inline constexpr std::uint32_t kLeftButton = 0x1;    // MK_LBUTTON
inline constexpr std::uint32_t kRightButton = 0x2;   // MK_RBUTTON
inline constexpr std::uint32_t kMiddleButton = 0x10; // MK_MBUTTON
inline constexpr std::uint32_t kAlt = 0x20;          // MK_ALT
inline constexpr std::uint32_t kAll = kDropEffectCopy | kDropEffectMove | kDropEffectLink;

inline constexpr EffectCase kEffectCases[] = {
    {"no key, all allowed", 0, kAll, kDropEffectCopy},
    {"no key, move or link", 0, kDropEffectMove | kDropEffectLink, kDropEffectMove},
    {"no key, link only", 0, kDropEffectLink, kDropEffectLink},
    {"no key, copy only", 0, kDropEffectCopy, kDropEffectCopy},
    {"no key, nothing allowed", 0, kDropEffectNone, kDropEffectNone},
    {"no key, unknown bits only", 0, 0x80000000u, kDropEffectNone},
    {"control, all allowed", kKeyControl, kAll, kDropEffectCopy},
    {"control, move or link", kKeyControl, kDropEffectMove | kDropEffectLink, kDropEffectNone},
    {"shift, all allowed", kKeyShift, kAll, kDropEffectMove},
    {"shift, copy or link", kKeyShift, kDropEffectCopy | kDropEffectLink, kDropEffectNone},
    {"shift, move only", kKeyShift, kDropEffectMove, kDropEffectMove},
    {"control and shift, all allowed", kKeyControl | kKeyShift, kAll, kDropEffectNone},
    {"control and shift, link only", kKeyControl | kKeyShift, kDropEffectLink, kDropEffectNone},
    {"buttons and alt ignored", kLeftButton | kRightButton | kMiddleButton | kAlt, kAll,
     kDropEffectCopy},
    {"left button with shift", kLeftButton | kKeyShift, kAll, kDropEffectMove},
    {"alt with control", kAlt | kKeyControl, kAll, kDropEffectCopy},
};

} // namespace quorvell::apptest
