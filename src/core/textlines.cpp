#include "core/textlines.h"

#include <cerrno>
#include <cstdio>
#include <optional>

#include "core/error.h"
#include "core/textfile.h"

namespace core {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

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

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

/// A UTF-16 text (after its mark) as UTF-8, every unit kept (a second mark too); empty when
/// the bytes are no UTF-16: an odd count, a lone surrogate.
std::optional<std::string> fromUtf16(std::string_view bytes, bool littleEndian)
{
    if (bytes.size() % 2 != 0)
        return std::nullopt;
    const auto unit = [&](std::size_t i) {
        return static_cast<char32_t>(static_cast<unsigned char>(bytes[littleEndian ? i : i + 1])
                                     | (static_cast<unsigned char>(bytes[littleEndian ? i + 1 : i]) << 8));
    };
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 3 >= bytes.size())
                return std::nullopt;
            const char32_t v = unit(i + 2);
            if (v < 0xDC00 || v > 0xDFFF)
                return std::nullopt;
            appendUtf8(text, 0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00));
            i += 2;
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            return std::nullopt;
        } else {
            appendUtf8(text, u);
        }
    }
    return text;
}

/// The line that starts at `at`, without its LF and a CR before it; `at` moves past the LF.
std::string nextLine(const std::string& text, std::size_t& at)
{
    const std::size_t lf = text.find('\n', at);
    const std::size_t end = lf == std::string::npos ? text.size() : lf;
    std::string line = text.substr(at, end - at);
    at = lf == std::string::npos ? text.size() : lf + 1;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

} // namespace

bool isUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t n = 0;
        char32_t cp = 0;
        char32_t least = 0;
        if ((c & 0xE0) == 0xC0) {
            n = 1, cp = c & 0x1F, least = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            n = 2, cp = c & 0x0F, least = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            n = 3, cp = c & 0x07, least = 0x10000;
        } else {
            return false;
        }
        for (std::size_t k = 1; k <= n; ++k) {
            if (i + k >= bytes.size())
                return false;
            const auto d = static_cast<unsigned char>(bytes[i + k]);
            if ((d & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (d & 0x3F);
        }
        if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += n + 1;
    }
    return true;
}

std::string fromWindows1252(std::string_view bytes)
{
    // 0x80 to 0x9F; 0 where Windows-1252 defines no character (the C1 control stays).
    static constexpr char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                           0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                           0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                           0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80)
            out += ch;
        else if (c < 0xA0 && kHigh[c - 0x80] != 0)
            appendUtf8(out, kHigh[c - 0x80]);
        else
            appendUtf8(out, c);
    }
    return out;
}

TextLineReader::TextLineReader(const std::filesystem::path& file) : file_(file)
{
    std::string bytes = readAll(file);
    size_ = bytes.size();
    const std::string_view start = std::string_view(bytes).substr(0, 2);
    if (start == "\xFF\xFE" || start == "\xFE\xFF") {
        if (auto text = fromUtf16(std::string_view(bytes).substr(2), start == "\xFF\xFE")) {
            encoding_ = Encoding::Utf16;
            text_ = std::move(*text);
            return;
        }
    }
    if (std::string_view(bytes).substr(0, kUtf8Mark.size()) == kUtf8Mark)
        bytes.erase(0, kUtf8Mark.size());
    if (isUtf8(bytes)) {
        text_ = std::move(bytes);
        return;
    }
    encoding_ = Encoding::Windows1252;
    text_ = fromWindows1252(bytes);
    bytes_ = std::move(bytes);
}

TextLineReader::~TextLineReader() = default;

std::uintmax_t TextLineReader::position() const { return text_.empty() ? size_ : size_ * at_ / text_.size(); }

bool TextLineReader::readLine(std::string& line)
{
    line.clear();
    if (at_ >= text_.size())
        return false;
    line = nextLine(text_, at_);
    raw_ = encoding_ == Encoding::Windows1252 ? nextLine(bytes_, rawAt_) : line;
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
