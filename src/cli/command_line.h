#pragma once

#include <string>
#include <vector>

#include "cli/commands.h"

namespace juanzhi::cli {

// Reads the command line (UTF-8, the program's name first), turns every
// file name and text into the books' code page, and runs the command it
// names. Wrong usage, or a text with no form in the code page, ends the run
// with a short message before any book is touched. Returns the exit code.
int runCommandLine(const std::vector<std::string>& arguments, const Console& console);

}  // namespace juanzhi::cli
