// ScriptTranscoder: the trigger script's bytes, UTF-8 as the map stores them, turned
// into one Text in the system's ANSI code page, through UTF-16.
//
// Only the bytes before the first NUL take part. Malformed UTF-8 becomes U+FFFD without
// shortening what follows; a character the ANSI code page lacks becomes the code page's
// substitute. Nothing fails: every input gives a Text.
//
// Windows: MultiByteToWideChar (65001) and WideCharToMultiByte (0, the ANSI code page).
// Native builds: a stand-in of ours with the same contract whose ANSI code page is 936
// (GBK), the code page the scanner's labels are written in.
#pragma once

#include "map/ByteBuffer.h"
#include "scan/Text.h"

#include <string>
#include <string_view>

namespace quorvell {

class ScriptTranscoder {
  public:
    // UTF-16 units, little-endian, with the terminating NUL unit counted; the empty
    // buffer for an empty text.
    static ByteBuffer utf8ToUtf16(const ByteBuffer& utf8);
    // The units up to the first NUL unit in the ANSI code page.
    static Text utf16ToAnsi(const ByteBuffer& utf16);
    // utf16ToAnsi(utf8ToUtf16(script)).
    static Text transcodeScript(const ByteBuffer& script);
};

// Text in the ANSI code page as UTF-8, for showing on a UTF-8 terminal.
std::string ansiToUtf8(std::string_view ansi);

} // namespace quorvell
