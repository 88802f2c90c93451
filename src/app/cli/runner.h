#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace app {

/// The whole run of tallix-cli with its arguments (without the program name). Returns the
/// exit code: 0 done, 1 a command ended with an error, 2 usage, 3 a question had no answer.
int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool errIsTerminal);

} // namespace app
