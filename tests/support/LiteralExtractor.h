// The chat-command extraction written step by step with the text operations, building
// every intermediate text. Slow, but obviously the steps as written: the fast
// extractor is checked against it.
#pragma once

#include "scan/ResultSink.h"

namespace quorvell::testing {

void extractLiterally(const Text& script, ResultSink& sink);

} // namespace quorvell::testing
