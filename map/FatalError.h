// The one way the program reports a fatal condition: an error box without an owner,
// caption "错误", error icon, text "运行时出错!" CR LF CR LF "错误信息：" message CR LF;
// when the box is closed the program ends with exit status -1.
#pragma once

#include <string>
#include <string_view>

namespace quorvell {

// `message` is UTF-8; it is shown through the wide-character functions so it reads
// right whatever the system's ANSI code page.
[[noreturn]] void fatalError(std::string_view message);

// The whole text of the box for `message` (UTF-8), as shown.
std::string fatalErrorText(std::string_view message);

} // namespace quorvell
