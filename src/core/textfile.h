#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace core {

/// Writes a text file line by line, every line ended by CR LF, no byte-order mark.
/// An existing file is replaced. Errors name the file and the system's reason.
class TextFileWriter {
public:
    explicit TextFileWriter(const std::filesystem::path& file);
    ~TextFileWriter();
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    void writeLine(std::string_view line);
    /// Flushes and closes; throws when the data could not be written.
    void close();

private:
    std::filesystem::path file_;
    std::FILE* f_ = nullptr;
};

/// Reads a text file line by line; lines end with LF, with or without a CR before it.
/// A last line without a line end is read too. Errors name the file and the reason.
class TextFileReader {
public:
    explicit TextFileReader(const std::filesystem::path& file);
    ~TextFileReader();
    TextFileReader(const TextFileReader&) = delete;
    TextFileReader& operator=(const TextFileReader&) = delete;

    /// The next line without its line end; false at the end of the file.
    bool readLine(std::string& line);
    /// The number of the line last read, from 1.
    int lineNumber() const { return line_; }
    /// Bytes read so far and the file's size, for a progress bar.
    std::uintmax_t position() const { return pos_; }
    std::uintmax_t size() const { return size_; }
    const std::filesystem::path& file() const { return file_; }

private:
    std::filesystem::path file_;
    std::FILE* f_ = nullptr;
    int line_ = 0;
    std::uintmax_t pos_ = 0;
    std::uintmax_t size_ = 0;
};

/// A field of a comma-separated line: written as it stands, or in double quotes (inner quotes
/// doubled) when it holds a comma, a double quote or a line break.
std::string csvField(std::string_view text);

/// "Cannot open file FILE. REASON" style text for a failed file operation.
std::string fileError(const std::string& what, const std::filesystem::path& file, int err);

} // namespace core
