// The companion scanner's command: parses its arguments, runs the scanning core on
// each input and prints the rows. Kept apart from main() so tests can run it in-process.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace quorvell {
class StormApi;
}

namespace quorvell::tools {

// Exit statuses: 0 done (also when no row is found, and for a map that is no archive or
// holds no script: the scan itself reports nothing), 1 an input file could not be read,
// 2 usage error. Maps are read through `api`, by default the build's own binding.
int runScanCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int runScanCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                   StormApi& api);

} // namespace quorvell::tools
