#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace fuzzing {

/// This process's own file in the temporary folder ($TMPDIR), made on first use and removed,
/// with a "<name>.tmp" next to it, when the process ends normally. Replaces the file's content
/// with the given bytes and returns its path.
const std::filesystem::path& writeScratchFile(const std::uint8_t* data, std::size_t size);

} // namespace fuzzing
