// The fast extractor against the step-by-step one on arbitrary scripts: any
// difference in the rows is a crash.
#include "scan/ChatCommandExtractor.h"
#include "tests/support/LiteralExtractor.h"
#include "tests/support/RecordingSink.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const quorvell::Text script(std::string_view(reinterpret_cast<const char*>(data), size));
    quorvell::testing::RecordingSink fast;
    quorvell::testing::RecordingSink literal;
    quorvell::ChatCommandExtractor::extractChatCommands(script, fast);
    quorvell::testing::extractLiterally(script, literal);
    if (fast.rows != literal.rows || fast.clears != 1) {
        std::abort();
    }
    return 0;
}
