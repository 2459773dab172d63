#include "tests/support/LiteralExtractor.h"

#include "scan/ChatCommandExtractor.h"
#include "scan/TextOps.h"

namespace quorvell::testing {

void extractLiterally(const Text& script, ResultSink& sink) {
    sink.clearRows();
    TextList pieces = splitText(script, "call TriggerRegisterPlayerChatEvent(");
    removeFirstMember(pieces);
    const std::int32_t count = pieces.count();
    for (std::int32_t i = 1; i <= count; ++i) {
        const Text& piece = pieces.member(i);
        const Text blanked = replaceText(piece, "\\\"", "  ");
        const Text stripped = ChatCommandExtractor::removeFirstQuoted(blanked);
        const TextList arguments = splitText(stripped, ",");
        if (arguments.count() < 4) {
            continue;
        }
        const Text number = ChatCommandExtractor::textBetween(arguments.member(2), "(", ")");
        const Text label = concatText("\xCD\xE6\xBC\xD2", numberToText(toInteger(number) + 1.0));

        const std::int32_t q1 = findText(blanked, "\"");
        const std::int32_t q2 = findText(blanked, "\"", q1 + 1);
        const Text command = replaceText(textMid(piece, q1 + 1, q2 - q1 - 1), "\\\"", "\"");

        const Text& flagArgument = arguments.member(4);
        const std::int32_t p = findText(flagArgument, ")");
        const Text flag = trimStart(textLeft(flagArgument, p - 1));

        ChatCommandExtractor::acceptRow(sink, label, command, flag);
    }
}

} // namespace quorvell::testing
