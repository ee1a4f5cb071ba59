#include <iostream>

#include "cli/command_line.h"
#include "core/platform.h"

int main(int argc, char* argv[]) {
    using namespace juanzhi;
    platform::prepareProcess();
    const cli::Console console{std::cout, std::cerr, platform::standardErrorIsTerminal()};
    return cli::runCommandLine(platform::commandLineArguments(argc, argv), console);
}
