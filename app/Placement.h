// Where the main window starts: its fixed outer size and the centred origin on the
// primary screen. Portable, so the arithmetic is tested on every build.
#pragma once

#include <cstdint>

namespace quorvell {

inline constexpr std::int32_t kMainWindowWidth = 354;
inline constexpr std::int32_t kMainWindowHeight = 356;

struct ScreenPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;

    friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

// The outer top-left corner that centres the window on a screen of the given size:
// (screen - size) / 2, a signed division that truncates toward zero, so a screen
// smaller than the window gives negative coordinates.
constexpr ScreenPoint centredOrigin(std::int32_t screenWidth, std::int32_t screenHeight) {
    return {(screenWidth - kMainWindowWidth) / 2, (screenHeight - kMainWindowHeight) / 2};
}

} // namespace quorvell
