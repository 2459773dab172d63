#include "map/FatalError.h"

namespace quorvell {

std::string fatalErrorText(std::string_view message) {
    std::string text = "运行时出错!\r\n\r\n错误信息：";
    text.append(message);
    text += "\r\n";
    return text;
}

} // namespace quorvell
