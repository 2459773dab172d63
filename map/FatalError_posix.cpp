#include "map/FatalError.h"

#include <cstdio>
#include <cstdlib>

namespace quorvell {

// The native builds have no error box: the text goes to standard error.
void fatalError(std::string_view message) {
    const std::string text = "错误: " + fatalErrorText(message);
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
    std::_Exit(-1);
}

} // namespace quorvell
