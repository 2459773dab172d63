// The companion scanner's command: parses its arguments, runs the scanning core on
// each input and prints the rows. Kept apart from main() so tests can run it in-process.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quorvell::tools {

// Exit statuses: 0 done (also when no row is found), 1 an input could not be read,
// 2 usage error.
int runScanCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace quorvell::tools
