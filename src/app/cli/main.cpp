// tallix-cli: runs start-up, the named commands in order, and shut-down, without a window.

#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/cli/runner.h"

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    return app::runCli(args, std::cout, std::cerr, ::isatty(STDERR_FILENO) != 0);
}
