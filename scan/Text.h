// Text and TextList: the byte strings the scan works on.
//
// A Text is a run of bytes in the system's ANSI code page that never holds a NUL
// byte; building one from bytes keeps only what precedes the first NUL. Positions
// handed to and returned by the text operations are 1-based; lengths count bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvell {

class Text {
public:
    Text() = default;
    // The bytes of a NUL-ended string (null gives the empty text).
    Text(const char* cstr); // NOLINT(google-explicit-constructor): texts are written as literals
    // The bytes before the first NUL of `bytes`, or all of them when there is none.
    explicit Text(std::string_view bytes);
    explicit Text(std::string&& bytes);

    std::int32_t length() const { return static_cast<std::int32_t>(bytes_.size()); }
    bool empty() const { return bytes_.empty(); }
    const char* c_str() const { return bytes_.c_str(); }
    const std::uint8_t* data() const { return reinterpret_cast<const std::uint8_t*>(bytes_.data()); }
    std::string_view view() const { return bytes_; }
    const std::string& bytes() const { return bytes_; }

    friend bool operator==(const Text&, const Text&) = default;

private:
    std::string bytes_;
};

// An ordered list of texts, members numbered from 1; members may be empty texts.
class TextList {
public:
    std::int32_t count() const { return static_cast<std::int32_t>(members_.size()); }
    // Member n, 1-based; the empty text outside 1..count().
    const Text& member(std::int32_t n) const;
    void append(Text member) { members_.push_back(std::move(member)); }
    void removeFirst();

    friend bool operator==(const TextList&, const TextList&) = default;

private:
    std::vector<Text> members_;
};

} // namespace quorvell
