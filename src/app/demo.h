#pragma once

#include <filesystem>
#include <string>

namespace app {

class Program;

/// The folder of the demo site's files: beside an installed program
/// (../share/tallix/examples), or the source tree's examples/ for a build.
std::filesystem::path examplesFolder();

/// Prepares the program's home with the demo site as far as a clerk has it before the
/// period's work: employees with their kinds, shift times, March 2026 as the pay period with
/// its public holiday, and the month's phone and scanner files in the folder. A home that
/// already has employees is left as it is. Returns a line saying what was done.
std::string prepareDemo(Program& program, const std::filesystem::path& examples);

} // namespace app
