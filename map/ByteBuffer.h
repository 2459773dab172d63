// ByteBuffer: a length-counted run of bytes that may hold NUL bytes, with value
// semantics. The empty buffer has length 0 and no storage; data() is then null, which
// is what the archive library's read call is given for "store nothing".
#pragma once

#include "scan/Text.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace quorvell {

class ByteBuffer {
  public:
    ByteBuffer() = default;
    ByteBuffer(const ByteBuffer& other);
    ByteBuffer& operator=(const ByteBuffer& other);
    ByteBuffer(ByteBuffer&& other) noexcept;
    ByteBuffer& operator=(ByteBuffer&& other) noexcept;
    ~ByteBuffer() = default;

    // n zero bytes when n > 0; the empty buffer otherwise. Memory that cannot be
    // obtained ends the program through the fatal error box.
    static ByteBuffer blank(std::int32_t n);
    // A buffer holding a copy of `bytes` (for tools and tests); the empty buffer for
    // no bytes or more than a signed 32-bit length can count.
    static ByteBuffer fromBytes(std::string_view bytes);

    std::int32_t length() const { return length_; }
    bool empty() const { return length_ == 0; }
    // The first byte, or null for the empty buffer.
    std::uint8_t* data() { return bytes_.get(); }
    const std::uint8_t* data() const { return bytes_.get(); }
    std::string_view view() const {
        return {reinterpret_cast<const char*>(bytes_.get()), static_cast<std::size_t>(length_)};
    }
    // The bytes before the first NUL byte (all of them when there is none).
    Text toText() const;

    friend bool operator==(const ByteBuffer& a, const ByteBuffer& b) {
        return a.view() == b.view();
    }

  private:
    struct Free {
        void operator()(std::uint8_t* p) const;
    };
    std::unique_ptr<std::uint8_t[], Free> bytes_;
    std::int32_t length_ = 0;
};

namespace detail {
// The allocator behind ByteBuffer: zero-filled storage for `size` bytes, or null.
// Replaceable so that tests can make it fail; returns the one it replaced.
using ZeroedAllocator = void* (*)(std::size_t size);
ZeroedAllocator setByteBufferAllocator(ZeroedAllocator allocator);
} // namespace detail

} // namespace quorvell
