#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <QIODevice>

class QSaveFile;

namespace core {

/// A file written whole or not at all: the bytes go to a temporary file beside it, and
/// commit() flushes that to the disk and only then puts it in the file's place. Until then an
/// existing file stays as it was; destroyed without commit() (an error on the way), it leaves
/// neither the file nor a temporary file behind. A device for a writer that needs one (a PDF).
class SaveFile : public QIODevice {
public:
    /// Opens the temporary file; a folder or another file that is not a regular one in that
    /// place is refused. Throws core::Error naming the file and the reason.
    explicit SaveFile(std::filesystem::path file);
    ~SaveFile() override;
    SaveFile(const SaveFile&) = delete;
    SaveFile& operator=(const SaveFile&) = delete;

    /// Throws core::Error with the system's reason when the bytes could not be written.
    void writeBytes(std::string_view bytes);
    /// Puts the file in place; throws when anything written before or the flush failed.
    void commit();
    const std::filesystem::path& file() const { return file_; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    /// Writes all of it or fails: a short write is carried on until the system says why not.
    qint64 writeData(const char* data, qint64 size) override;

private:
    std::string failedText() const;

    std::filesystem::path file_;
    std::unique_ptr<QSaveFile> out_;
    std::string failure_; ///< the system's words for the first write that failed
};

/// Writes a text file line by line, every line ended by CR LF, no byte-order mark, as a
/// SaveFile: close() replaces the file, an error on the way leaves it as it was.
class TextFileWriter {
public:
    explicit TextFileWriter(const std::filesystem::path& file);
    ~TextFileWriter();
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;

    void writeLine(std::string_view line);
    /// Flushes, and replaces the file; throws when the data could not be written, leaving
    /// the old file as it was.
    void close();

private:
    std::unique_ptr<SaveFile> out_;
    std::string buffer_;
};

/// Writes `bytes` as the whole content of `file` the same way: all of it or, on an error,
/// nothing (the old file as it was). Throws core::Error naming the file and the reason.
void writeWholeFile(const std::filesystem::path& file, std::string_view bytes);

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

/// What a spreadsheet would run as a formula at the start of a field: '=', '+', '@', a tab or
/// a carriage return. The word for the one `text` begins with ("'='", "a tab"), if any.
std::optional<std::string> formulaStart(std::string_view text);
/// A person's text for a file a spreadsheet opens: as it stands, or with a leading "'" when
/// it begins like a formula, so that it is shown as text and never run.
std::string asSpreadsheetText(std::string_view text);

/// "Cannot open file FILE. REASON" style text for a failed file operation.
std::string fileError(const std::string& what, const std::filesystem::path& file, int err);

} // namespace core
