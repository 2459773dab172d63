// The portable pieces of the program's start-up: where the window starts and which
// folder the program works in.
#include "app/Placement.h"
#include "app/ProgramFolder.h"

#include <gtest/gtest.h>

namespace quorvell {
namespace {

struct OriginCase {
    std::int32_t screenWidth;
    std::int32_t screenHeight;
    ScreenPoint expected;
};

TEST(PlacementTest, CentresOnTheWholeScreenTruncatingTowardZero) {
    const OriginCase cases[] = {
        {1920, 1080, {783, 362}},
        {1024, 768, {335, 206}},
        {1366, 768, {506, 206}},
        {1280, 800, {463, 222}},
        {320, 240, {-17, -58}},
        {354, 356, {0, 0}},
        // Odd differences: truncation toward zero, not rounding down.
        {355, 357, {0, 0}},
        {321, 241, {-16, -57}},
        {353, 355, {0, 0}},
        {0, 0, {-177, -178}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(centredOrigin(c.screenWidth, c.screenHeight), c.expected)
            << c.screenWidth << "x" << c.screenHeight;
    }
}

TEST(ProgramFolderTest, CutsBeforeTheLastBackslash) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"C:\\Games\\Quorvell\\quorvell.exe", L"C:\\Games\\Quorvell"},
        {L"C:\\Games\\Tools\\v1.2\\quorvell.exe", L"C:\\Games\\Tools\\v1.2"},
        {L"\\\\server\\share\\quorvell.exe", L"\\\\server\\share"},
        {L"Z:\\tmp\\地图工具\\quorvell.exe", L"Z:\\tmp\\地图工具"},
        // In a drive's root the folder is the root, not the drive's current directory.
        {L"C:\\quorvell.exe", L"C:\\"},
    };
    for (const auto& [path, folder] : cases) {
        const auto got = programFolder(path);
        ASSERT_TRUE(got.has_value()) << ::testing::PrintToString(std::wstring(path));
        EXPECT_EQ(*got, folder);
    }
}

TEST(ProgramFolderTest, LeavesTheDirectoryAloneWithoutABackslash) {
    EXPECT_FALSE(programFolder(L"quorvell.exe").has_value());
    EXPECT_FALSE(programFolder(L"").has_value());
    EXPECT_FALSE(programFolder(L"C:/games/quorvell.exe").has_value());
}

} // namespace
} // namespace quorvell
