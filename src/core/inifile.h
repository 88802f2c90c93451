#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

/// A plain INI file that keeps what it does not know: comment lines, unknown sections and
/// keys, and the order of everything stay where they were when an entry is replaced.
/// Sections and keys match without regard to ASCII case. Read as UTF-8, written as stored.
class IniFile {
public:
    /// Loads the file when it exists; a missing file is no error (every entry reads as its
    /// default). Throws core::Error naming the file when it exists but cannot be read.
    explicit IniFile(std::filesystem::path path);

    const std::filesystem::path& path() const { return path_; }

    std::string readString(std::string_view section, std::string_view key, std::string_view defaultValue) const;
    /// A value that is not a whole decimal number reads as the default.
    int readInteger(std::string_view section, std::string_view key, int defaultValue) const;
    bool hasKey(std::string_view section, std::string_view key) const;
    /// A text as readInteger reads a value: a whole decimal number, or the default.
    static int integerOf(std::string_view text, int defaultValue);

    /// Replaces the entry in place, or adds it at the end of its section, or adds the section
    /// at the end of the file.
    void writeString(std::string_view section, std::string_view key, std::string_view value);
    void writeInteger(std::string_view section, std::string_view key, int value);

    /// Writes the file to disk (through a temporary file renamed over the old one).
    /// Throws core::Error with the file name and the system's reason on failure.
    void flush();

    /// The file's text as flush() would write it.
    std::string text() const;

private:
    struct Entry {
        std::size_t line;
        std::string_view key;
        std::string_view value;
    };
    /// The entry readString would return, if there is one.
    std::optional<Entry> find(std::string_view section, std::string_view key) const;

    std::filesystem::path path_;
    std::vector<std::string> lines_; // without line ends
    std::string eol_ = "\n";         // the line end of the loaded file, LF for a new one
    bool finalNewline_ = true;
    bool bom_ = false; // the loaded file started with a UTF-8 byte-order mark
};

} // namespace core
