// quorvell-scan: the companion command-line scanner.
#include "tools/scan/ScanCommand.h"

#include <iostream>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    // Rows are bytes: no newline translation on Windows consoles and pipes.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    return quorvell::tools::runScanCommand(args, std::cout, std::cerr);
}
