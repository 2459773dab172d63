#include "scan/Text.h"

#include <cstring>

namespace quorvell {

Text::Text(const char* cstr) : bytes_(cstr ? cstr : "") {}

Text::Text(std::string_view bytes) : bytes_(bytes.substr(0, bytes.find('\0'))) {}

Text::Text(std::string&& bytes) : bytes_(std::move(bytes)) {
    if (const auto nul = bytes_.find('\0'); nul != std::string::npos) {
        bytes_.resize(nul);
    }
}

const Text& TextList::member(std::int32_t n) const {
    static const Text empty;
    if (n < 1 || n > count()) {
        return empty;
    }
    return members_[static_cast<std::size_t>(n - 1)];
}

void TextList::removeFirst() {
    if (!members_.empty()) {
        members_.erase(members_.begin());
    }
}

} // namespace quorvell
