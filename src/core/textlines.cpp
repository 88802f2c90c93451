#include "core/textlines.h"

#include <cerrno>
#include <cstdio>

#include <QString>

#include "core/error.h"
#include "core/textfile.h"

namespace core {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

/// The first bytes of the file, at most n.
std::string head(const std::filesystem::path& file, std::size_t n)
{
    std::string out(n, '\0');
    std::FILE* f = std::fopen(file.c_str(), "rb");
    if (f == nullptr)
        return {};
    out.resize(std::fread(out.data(), 1, n, f));
    std::fclose(f);
    return out;
}

std::string readAll(const std::filesystem::path& file)
{
    TextFileReader probe(file); // the same errors as an 8-bit read: missing, a folder, no access
    std::FILE* f = std::fopen(file.c_str(), "rb");
    if (f == nullptr)
        throw Error(fileError("Cannot open file", file, errno));
    std::string content;
    char buf[65536];
    std::size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        content.append(buf, n);
    const bool failed = std::ferror(f) != 0;
    const int err = errno;
    std::fclose(f);
    if (failed)
        throw Error(fileError("Cannot read file", file, err));
    return content;
}

std::string fromUtf16(std::string_view bytes, bool littleEndian)
{
    std::u16string units;
    units.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto lo = static_cast<unsigned char>(bytes[littleEndian ? i : i + 1]);
        const auto hi = static_cast<unsigned char>(bytes[littleEndian ? i + 1 : i]);
        units.push_back(static_cast<char16_t>(lo | (hi << 8)));
    }
    return QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size())).toStdString();
}

} // namespace

TextLineReader::TextLineReader(const std::filesystem::path& file) : file_(file)
{
    const std::string start = head(file, 2);
    const bool le = start == "\xFF\xFE";
    const bool be = start == "\xFE\xFF";
    if (le || be) {
        const std::string bytes = readAll(file);
        size_ = bytes.size();
        text_ = fromUtf16(std::string_view(bytes).substr(2), le);
        return;
    }
    plain_ = std::make_unique<TextFileReader>(file);
    size_ = plain_->size();
}

TextLineReader::~TextLineReader() = default;

std::uintmax_t TextLineReader::position() const
{
    if (plain_)
        return plain_->position();
    return text_.empty() ? size_ : size_ * at_ / text_.size();
}

bool TextLineReader::readLine(std::string& line)
{
    if (plain_) {
        if (!plain_->readLine(line))
            return false;
        line_ = plain_->lineNumber();
        if (line_ == 1 && std::string_view(line).substr(0, kUtf8Mark.size()) == kUtf8Mark)
            line.erase(0, kUtf8Mark.size());
        return true;
    }
    line.clear();
    if (at_ >= text_.size())
        return false;
    const std::size_t lf = text_.find('\n', at_);
    const std::size_t end = lf == std::string::npos ? text_.size() : lf;
    line.assign(text_, at_, end - at_);
    at_ = lf == std::string::npos ? text_.size() : lf + 1;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    ++line_;
    return true;
}

std::string visibleText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == 0)
            out += "<NUL>";
        else if (c == '\t')
            out += "<TAB>";
        else if (c == '\r')
            out += "<CR>";
        else if (c < 0x20 || c == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "<0x%02X>", c);
            out += buf;
        } else
            out += ch;
    }
    return out;
}

} // namespace core
