// tallix-cli: runs start-up, the named commands in order, and shut-down, without a window.

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/cli/runner.h"

int main(int argc, char** argv)
{
    // A file that may grow no further (a file-size limit) is a write error to report like a
    // full disk, not a signal that ends the runner half-way.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::vector<std::string> args(argv + 1, argv + argc);
    return app::runCli(args, std::cout, std::cerr, ::isatty(STDERR_FILENO) != 0);
}
