// Start-up's first step: the program works in the folder that holds its file.
#pragma once

namespace quorvell {

// Sets the working directory to the folder of the running program file; leaves it
// unchanged when the program's path holds no backslash.
void enterProgramFolder();

} // namespace quorvell
