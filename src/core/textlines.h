#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace core {

/// Reads the lines of a file that another program wrote, and hands them out as UTF-8:
///  - a UTF-16 file with its mark (little or big endian), decoded;
///  - an 8-bit file in UTF-8, with or without the UTF-8 mark (the mark is skipped);
///  - any other 8-bit file, as an office PC's spreadsheet saves it, read as Windows-1252
///    (`Renée` saved as the byte E9).
/// A file that starts with a UTF-16 mark but is no UTF-16 text after it (an odd number of
/// bytes, a lone surrogate) is read as the 8-bit bytes it holds. Lines end with LF, with or
/// without a CR before it. Errors name the file and the reason.
class TextLineReader {
public:
    enum class Encoding { Utf8, Utf16, Windows1252 };

    explicit TextLineReader(const std::filesystem::path& file);
    ~TextLineReader();
    TextLineReader(const TextLineReader&) = delete;
    TextLineReader& operator=(const TextLineReader&) = delete;

    /// The next line without its line end, in UTF-8; false at the end of the file.
    bool readLine(std::string& line);
    /// The line last read as the file holds it: its bytes for an 8-bit file (without the UTF-8
    /// mark), the decoded text for a UTF-16 file.
    const std::string& rawLine() const { return raw_; }
    /// The number of the line last read, from 1.
    int lineNumber() const { return line_; }
    /// Bytes of the file read so far and its size, for a progress bar.
    std::uintmax_t position() const;
    std::uintmax_t size() const { return size_; }
    Encoding encoding() const { return encoding_; }

private:
    std::filesystem::path file_;
    Encoding encoding_ = Encoding::Utf8;
    std::string bytes_; ///< the file's bytes after any mark (8-bit files)
    std::string text_;  ///< the file's text in UTF-8
    std::size_t at_ = 0;
    std::size_t rawAt_ = 0;
    std::string raw_;
    int line_ = 0;
    std::uintmax_t size_ = 0;
};

/// Whether the bytes are UTF-8 text (no overlong forms, surrogates or code points above
/// U+10FFFF).
bool isUtf8(std::string_view bytes);
/// Windows-1252 bytes as UTF-8 (the five bytes it leaves undefined as the C1 controls).
std::string fromWindows1252(std::string_view bytes);

/// A text from a file as an error message can show it: control characters, which would
/// otherwise end the message early (NUL) or hide in it (TAB), are written as <NUL>, <TAB>,
/// <CR> or <0xNN>.
std::string visibleText(std::string_view text);

} // namespace core
