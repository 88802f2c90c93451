#include "core/textfile.h"

#include <cerrno>
#include <cstring>

#include "core/error.h"

namespace core {

std::string fileError(const std::string& what, const std::filesystem::path& file, int err)
{
    return what + " \"" + file.string() + "\": " + std::strerror(err);
}

TextFileWriter::TextFileWriter(const std::filesystem::path& file) : file_(file)
{
    f_ = std::fopen(file.c_str(), "wb");
    if (f_ == nullptr)
        throw Error(fileError("Cannot create file", file, errno));
}

TextFileWriter::~TextFileWriter()
{
    if (f_ != nullptr)
        std::fclose(f_);
}

void TextFileWriter::writeLine(std::string_view line)
{
    if (f_ == nullptr)
        throw Error("Cannot write to the closed file \"" + file_.string() + "\"");
    if (std::fwrite(line.data(), 1, line.size(), f_) != line.size() || std::fwrite("\r\n", 1, 2, f_) != 2)
        throw Error(fileError("Cannot write to file", file_, errno));
}

void TextFileWriter::close()
{
    if (f_ == nullptr)
        return;
    const bool flushed = std::fflush(f_) == 0;
    const int err = errno;
    const bool closed = std::fclose(f_) == 0;
    f_ = nullptr;
    if (!flushed || !closed)
        throw Error(fileError("Cannot write to file", file_, flushed ? errno : err));
}

TextFileReader::TextFileReader(const std::filesystem::path& file) : file_(file)
{
    std::error_code ec;
    if (std::filesystem::is_directory(file, ec))
        throw Error(fileError("Cannot open file", file, EISDIR));
    f_ = std::fopen(file.c_str(), "rb");
    if (f_ == nullptr)
        throw Error(fileError("Cannot open file", file, errno));
    const auto size = std::filesystem::file_size(file, ec);
    size_ = ec ? 0 : size;
}

TextFileReader::~TextFileReader()
{
    if (f_ != nullptr)
        std::fclose(f_);
}

bool TextFileReader::readLine(std::string& line)
{
    line.clear();
    if (f_ == nullptr)
        return false;
    bool any = false;
    for (;;) {
        const int c = getc_unlocked(f_);
        if (c == EOF) {
            if (std::ferror(f_))
                throw Error(fileError("Cannot read file", file_, errno) + " (line " + std::to_string(line_ + 1) + ")");
            break;
        }
        any = true;
        ++pos_;
        if (c == '\n')
            break;
        line.push_back(static_cast<char>(c));
    }
    if (!any)
        return false;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    ++line_;
    return true;
}

std::string csvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
    return out;
}

} // namespace core
