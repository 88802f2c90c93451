#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace core {

class TextFileReader;

/// Reads the lines of a file that another program wrote: an 8-bit file with or without a
/// UTF-8 byte-order mark (the mark is skipped), or a UTF-16 file with its mark (little or big
/// endian), whose lines are handed out as UTF-8. Lines end with LF, with or without a CR
/// before it. Errors name the file and the reason.
class TextLineReader {
public:
    explicit TextLineReader(const std::filesystem::path& file);
    ~TextLineReader();
    TextLineReader(const TextLineReader&) = delete;
    TextLineReader& operator=(const TextLineReader&) = delete;

    /// The next line without its line end; false at the end of the file.
    bool readLine(std::string& line);
    /// The number of the line last read, from 1.
    int lineNumber() const { return line_; }
    /// Bytes of the file read so far and its size, for a progress bar.
    std::uintmax_t position() const;
    std::uintmax_t size() const { return size_; }
    /// The file was UTF-16 and has been decoded.
    bool decoded() const { return plain_ == nullptr; }

private:
    std::filesystem::path file_;
    std::unique_ptr<TextFileReader> plain_; ///< the 8-bit file, read as it goes
    std::string text_;                      ///< a UTF-16 file decoded to UTF-8 at once
    std::size_t at_ = 0;
    int line_ = 0;
    std::uintmax_t size_ = 0;
};

/// A text from a file as an error message can show it: control characters, which would
/// otherwise end the message early (NUL) or hide in it (TAB), are written as <NUL>, <TAB>,
/// <CR> or <0xNN>.
std::string visibleText(std::string_view text);

} // namespace core
