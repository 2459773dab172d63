#include "map/ScriptTranscoder.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

namespace quorvell {

ByteBuffer ScriptTranscoder::utf8ToUtf16(const ByteBuffer& utf8) {
    const Text text = utf8.toText();
    // An empty text is passed as no string at all; the count is then 0.
    const char* source = text.empty() ? nullptr : text.c_str();
    const int units =
        source == nullptr ? 0 : MultiByteToWideChar(CP_UTF8, 0, source, -1, nullptr, 0);
    // Two bytes per unit, terminator included. A count whose byte length a signed 32-bit
    // number cannot hold (a text of over 1 GiB) gives the empty buffer, as if nothing was
    // there, rather than a wrapped size.
    const std::int64_t byteCount = units > 0 ? std::int64_t{units} * 2 : 0;
    if (byteCount > INT32_MAX) {
        return {};
    }
    ByteBuffer wide = ByteBuffer::blank(static_cast<std::int32_t>(byteCount));
    if (source != nullptr) {
        MultiByteToWideChar(CP_UTF8, 0, source, -1, reinterpret_cast<LPWSTR>(wide.data()), units);
    }
    return wide;
}

Text ScriptTranscoder::utf16ToAnsi(const ByteBuffer& utf16) {
    const std::int32_t n = utf16.length();
    if (n == 0) {
        return {};
    }
    // The output area: n spaces and a NUL, n + 1 bytes, all of it offered to the call. A
    // code page of at most two bytes per unit always fits; with a wider one the call
    // fails and the Text is what the area holds before its first NUL, within the area.
    std::string area(static_cast<std::size_t>(n) + 1, ' ');
    area[static_cast<std::size_t>(n)] = '\0';
    const auto* source = reinterpret_cast<LPCWCH>(utf16.data());
    // A buffer without a NUL unit would let a call with length -1 run past its end:
    // such a buffer is converted by its length instead, and the result is cut there.
    bool terminated = false;
    for (std::int32_t i = 0; i + 1 < n && !terminated; i += 2) {
        terminated = utf16.data()[i] == 0 && utf16.data()[i + 1] == 0;
    }
    const int written = WideCharToMultiByte(CP_ACP, 0, source, terminated ? -1 : n / 2, area.data(),
                                            n + 1, nullptr, nullptr);
    if (!terminated) {
        area.resize(written > 0 ? static_cast<std::size_t>(written) : 0);
    }
    return Text(std::move(area));
}

Text ScriptTranscoder::transcodeScript(const ByteBuffer& script) {
    Text text;
    {
        const ByteBuffer wide = utf8ToUtf16(script);
        text = utf16ToAnsi(wide);
    } // the intermediate buffer is released before the result is returned
    return text;
}

std::string ansiToUtf8(std::string_view ansi) {
    if (ansi.empty()) {
        return {};
    }
    const int inLength = static_cast<int>(ansi.size());
    const int units = MultiByteToWideChar(CP_ACP, 0, ansi.data(), inLength, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), inLength, wide.data(), units);
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), units, out.data(), bytes, nullptr, nullptr);
    return out;
}

} // namespace quorvell
