#include "core/textfile.h"

#include <cerrno>
#include <cstring>

#include <QSaveFile>

#include "core/error.h"

namespace core {

std::string fileError(const std::string& what, const std::filesystem::path& file, int err)
{
    return what + " \"" + file.string() + "\": " + std::strerror(err);
}

namespace {

constexpr std::size_t kChunk = 1 << 16;

} // namespace

SaveFile::SaveFile(std::filesystem::path file) : file_(std::move(file))
{
    std::error_code ec;
    // A folder or a device of that name is never written over.
    if (std::filesystem::is_directory(file_, ec))
        throw Error(fileError("Cannot create file", file_, EISDIR));
    if (std::filesystem::exists(file_, ec) && !std::filesystem::is_regular_file(file_, ec))
        throw Error("Cannot create file \"" + file_.string() + "\": it is not a regular file");
    out_ = std::make_unique<QSaveFile>(QString::fromStdString(file_.string()));
    // Unbuffered: every write reaches the system at once, so its failure is seen at once.
    if (!out_->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw Error("Cannot create file \"" + file_.string() + "\": " + out_->errorString().toStdString());
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

// Without commit() QSaveFile's own destructor removes the temporary file.
SaveFile::~SaveFile() = default;

std::string SaveFile::failedText() const { return "Cannot write to file \"" + file_.string() + "\": " + failure_; }

qint64 SaveFile::writeData(const char* data, qint64 size)
{
    if (!failure_.empty())
        return -1;
    qint64 done = 0;
    while (done < size) {
        const qint64 n = out_->write(data + done, size - done);
        if (n <= 0) {
            failure_ = out_->errorString().toStdString();
            if (failure_.empty())
                failure_ = "the data could not be written";
            return -1;
        }
        done += n;
    }
    return size;
}

void SaveFile::writeBytes(std::string_view bytes)
{
    const auto size = static_cast<qint64>(bytes.size());
    if (size > 0 && writeData(bytes.data(), size) != size)
        throw Error(failedText());
}

void SaveFile::commit()
{
    if (!failure_.empty()) {
        out_->cancelWriting();
        throw Error(failedText());
    }
    close();
    if (!out_->commit()) {
        failure_ = out_->errorString().toStdString();
        throw Error(failedText());
    }
}

TextFileWriter::TextFileWriter(const std::filesystem::path& file) : out_(std::make_unique<SaveFile>(file)) {}

TextFileWriter::~TextFileWriter() = default;

void TextFileWriter::writeLine(std::string_view line)
{
    if (!out_)
        throw Error("Cannot write to a closed file");
    buffer_ += line;
    buffer_ += "\r\n";
    if (buffer_.size() >= kChunk) {
        out_->writeBytes(buffer_);
        buffer_.clear();
    }
}

void TextFileWriter::close()
{
    if (!out_)
        return;
    // Whatever fails, the writer is closed: the temporary file goes with it.
    const std::unique_ptr<SaveFile> out = std::move(out_);
    out->writeBytes(buffer_);
    buffer_.clear();
    out->commit();
}

void writeWholeFile(const std::filesystem::path& file, std::string_view bytes)
{
    SaveFile out(file);
    out.writeBytes(bytes);
    out.commit();
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

std::optional<std::string> formulaStart(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    switch (text.front()) {
    case '=':
    case '+':
    case '@': return "'" + std::string(1, text.front()) + "'";
    case '\t': return "a tab";
    case '\r': return "a carriage return";
    default: return std::nullopt;
    }
}

std::string asSpreadsheetText(std::string_view text)
{
    return formulaStart(text) ? "'" + std::string(text) : std::string(text);
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
