#include "map/ByteBuffer.h"

#include "map/FatalError.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace quorvell {

namespace {

void* zeroedAllocate(std::size_t size) {
    return std::calloc(size, 1);
}

detail::ZeroedAllocator currentAllocator = &zeroedAllocate;

// Zero-filled storage for n > 0 bytes; ends the program when there is none.
std::uint8_t* obtain(std::int32_t n) {
    void* p = currentAllocator(static_cast<std::size_t>(n));
    if (p == nullptr) {
        fatalError("分配 " + std::to_string(n) + " 字节内存失败!");
    }
    return static_cast<std::uint8_t*>(p);
}

} // namespace

namespace detail {
ZeroedAllocator setByteBufferAllocator(ZeroedAllocator allocator) {
    const ZeroedAllocator previous = currentAllocator;
    currentAllocator = allocator != nullptr ? allocator : &zeroedAllocate;
    return previous;
}
} // namespace detail

void ByteBuffer::Free::operator()(std::uint8_t* p) const {
    std::free(p);
}

ByteBuffer ByteBuffer::blank(std::int32_t n) {
    ByteBuffer buffer;
    if (n > 0) {
        buffer.bytes_.reset(obtain(n));
        buffer.length_ = n;
    }
    return buffer;
}

ByteBuffer ByteBuffer::fromBytes(std::string_view bytes) {
    if (bytes.empty() || bytes.size() > static_cast<std::size_t>(INT32_MAX)) {
        return {};
    }
    ByteBuffer buffer = blank(static_cast<std::int32_t>(bytes.size()));
    std::memcpy(buffer.data(), bytes.data(), bytes.size());
    return buffer;
}

ByteBuffer::ByteBuffer(const ByteBuffer& other) : ByteBuffer(fromBytes(other.view())) {}

ByteBuffer& ByteBuffer::operator=(const ByteBuffer& other) {
    if (this != &other) {
        *this = fromBytes(other.view());
    }
    return *this;
}

ByteBuffer::ByteBuffer(ByteBuffer&& other) noexcept
    : bytes_(std::move(other.bytes_)), length_(other.length_) {
    other.length_ = 0;
}

ByteBuffer& ByteBuffer::operator=(ByteBuffer&& other) noexcept {
    bytes_ = std::move(other.bytes_);
    length_ = other.length_;
    other.length_ = 0;
    return *this;
}

Text ByteBuffer::toText() const {
    const std::string_view bytes = view();
    const void* nul = bytes.empty() ? nullptr : std::memchr(bytes.data(), 0, bytes.size());
    const std::size_t n =
        nul != nullptr ? static_cast<std::size_t>(static_cast<const char*>(nul) - bytes.data())
                       : bytes.size();
    return Text(std::string(bytes.data() == nullptr ? "" : bytes.data(), n));
}

} // namespace quorvell
