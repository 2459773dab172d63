// Finds every chat-command registration in a trigger script and hands one row per
// accepted registration to a ResultSink.
//
// The script is split at every "call TriggerRegisterPlayerChatEvent(" (text before the
// first one is never read). In each piece, the escaped quotes \" are blanked to two
// spaces, the first quoted string is removed (with every identical quoted string after
// it), and the rest is split at commas: argument 2 gives the player, argument 4 the
// match flag, and the first quoted string of the piece the command. Every search walks
// by the character step rule of TextOps.
#pragma once

#include "scan/ResultSink.h"
#include "scan/Text.h"

namespace quorvell {

class ChatCommandExtractor {
public:
    // Calls clearRows once, then appendRow for every accepted registration in script order.
    static void extractChatCommands(const Text& script, ResultSink& sink);

    // The named steps, usable on their own.
    // The text with its first quoted string (both quotes included) removed, together
    // with every identical string after it; unchanged with fewer than two quotes.
    static Text removeFirstQuoted(const Text& text);
    // The bytes strictly between the first `open` and the last `close`; empty otherwise.
    static Text textBetween(const Text& text, const Text& open, const Text& close);
    // Appends the row unless the command is empty or the flag holds neither
    // "true" nor "false".
    static void acceptRow(ResultSink& sink, Text playerLabel, Text command, Text matchFlag);
};

} // namespace quorvell
