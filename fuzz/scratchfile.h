#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace fuzzing {

/// This process's own file in the temporary folder ($TMPDIR), made on first use and removed,
/// with a "<name>.tmp" next to it, when the process ends normally. Replaces the file's content
/// with the given bytes and returns its path.
const std::filesystem::path& writeScratchFile(const std::uint8_t* data, std::size_t size);

/// The text whose lines a reader of other programs' files hands out, as core::TextLineReader
/// describes it, worked out here on its own: a UTF-16 text after its mark (an even number of
/// bytes, no lone surrogate) as UTF-8; any other file the bytes it holds, without a UTF-8
/// mark, as the scanner's copy keeps them (the reader's UTF-8 lines of a Windows-1252 file
/// are as many).
std::string textAsRead(std::string_view bytes);

/// The lines of a text: ended by LF, one CR before it dropped, a last line without LF too.
std::vector<std::string_view> linesOf(std::string_view text);

} // namespace fuzzing
