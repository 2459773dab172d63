#include "map/ByteBuffer.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace quorvell {
namespace {

using namespace std::string_literals;

TEST(ByteBufferTest, BlankGivesZeroBytesOrTheEmptyBuffer) {
    const struct {
        std::int32_t n;
        std::int32_t length;
    } cases[] = {{5, 5}, {1, 1}, {0, 0}, {-1, 0}, {INT32_MIN, 0}};
    for (const auto& c : cases) {
        const ByteBuffer b = ByteBuffer::blank(c.n);
        EXPECT_EQ(b.length(), c.length) << c.n;
        EXPECT_EQ(b.data() == nullptr, c.length == 0) << c.n;
        EXPECT_EQ(b.view(), std::string(static_cast<std::size_t>(c.length), '\0')) << c.n;
    }
    EXPECT_EQ(ByteBuffer(), ByteBuffer::blank(0));
    EXPECT_EQ(ByteBuffer().data(), nullptr);
}

TEST(ByteBufferTest, ToTextStopsAtTheFirstNul) {
    const struct {
        std::string bytes;
        Text text;
    } cases[] = {
        {"", ""},
        {"\0abc"s, ""},
        {"ab\0cd\0"s, "ab"},
        {"abc", "abc"},
        {"\xCD\xE6\xBC\xD2", "\xCD\xE6\xBC\xD2"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ByteBuffer::fromBytes(c.bytes).toText(), c.text) << c.bytes;
    }
    EXPECT_EQ(ByteBuffer::blank(100).toText(), Text(""));
}

TEST(ByteBufferTest, CopiesAreIndependentAndMovesLeaveTheEmptyBuffer) {
    ByteBuffer a = ByteBuffer::fromBytes("xyz\0w"s);
    ByteBuffer copy = a;
    copy.data()[0] = 'Q';
    EXPECT_EQ(a.view(), "xyz\0w"s);
    EXPECT_EQ(copy.view(), "Qyz\0w"s);

    ByteBuffer assigned;
    assigned = a;
    EXPECT_EQ(assigned, a);
    EXPECT_NE(assigned.data(), a.data());
    assigned = ByteBuffer();
    EXPECT_EQ(assigned.length(), 0);
    EXPECT_EQ(assigned.data(), nullptr);

    ByteBuffer moved = std::move(a);
    EXPECT_EQ(moved.view(), "xyz\0w"s);
    EXPECT_EQ(a.length(), 0); // NOLINT(bugprone-use-after-move): the moved-from state is defined
    EXPECT_EQ(a.data(), nullptr);

    ByteBuffer& self = moved;
    moved = self;
    EXPECT_EQ(moved.view(), "xyz\0w"s);
}

#ifndef _WIN32
// The Windows build shows the error box instead, which a death test cannot close.
void* failingAllocator(std::size_t) {
    return nullptr;
}

TEST(ByteBufferDeathTest, MemoryThatCannotBeObtainedEndsTheProgramWithStatusMinusOne) {
    EXPECT_EXIT(
        {
            detail::setByteBufferAllocator(&failingAllocator);
            ByteBuffer::blank(100);
        },
        ::testing::ExitedWithCode(255), "错误信息：分配 100 字节内存失败!");
}
#endif

} // namespace
} // namespace quorvell
