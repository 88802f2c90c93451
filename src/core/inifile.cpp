#include "core/inifile.h"

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <system_error>
#include <utility>

#include "core/error.h"
#include "core/textfile.h"

namespace core {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (lowerAscii(a[i]) != lowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

/// Where a comment after a value begins: a ';' or '#' after a blank ("Port=21 ; optional").
/// A ';' or '#' inside a value (a password "ab;cd") is part of it.
std::size_t inlineComment(std::string_view value)
{
    for (std::size_t i = 1; i < value.size(); ++i) {
        if ((value[i] == ';' || value[i] == '#') && (value[i - 1] == ' ' || value[i - 1] == '\t')) {
            return i;
        }
    }
    return std::string_view::npos;
}

std::string_view withoutComment(std::string_view value)
{
    const std::size_t at = inlineComment(value);
    return at == std::string_view::npos ? value : value.substr(0, at);
}

struct Line {
    enum class Kind { Other, Comment, Section, Entry };
    Kind kind = Kind::Other;
    std::string_view name;  // the section name or the key
    std::string_view value; // the value of an entry
};

Line classify(std::string_view text)
{
    const std::string_view t = trim(text);
    if (t.empty()) {
        return {};
    }
    if (t.front() == ';' || t.front() == '#') {
        return {Line::Kind::Comment, {}, {}};
    }
    if (t.front() == '[') {
        if (t.size() >= 2 && t.back() == ']') {
            return {Line::Kind::Section, trim(t.substr(1, t.size() - 2)), {}};
        }
        return {};
    }
    const std::size_t eq = t.find('=');
    if (eq == std::string_view::npos) {
        return {};
    }
    const std::string_view key = trim(t.substr(0, eq));
    if (key.empty()) {
        return {};
    }
    return {Line::Kind::Entry, key, trim(withoutComment(t.substr(eq + 1)))};
}

bool hasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

std::string quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

} // namespace

IniFile::IniFile(std::filesystem::path path) : path_(std::move(path))
{
    std::error_code ec;
    const std::filesystem::file_status st = std::filesystem::status(path_, ec);
    if (st.type() == std::filesystem::file_type::not_found) {
        return;
    }
    if (ec) {
        throw core::Error("Cannot read the file " + quoted(path_) + ": " + ec.message());
    }
    if (std::filesystem::is_directory(st)) {
        throw core::Error("Cannot read the file " + quoted(path_) + ": "
                          + std::make_error_code(std::errc::is_a_directory).message());
    }

    std::FILE* f = std::fopen(path_.c_str(), "rb");
    if (f == nullptr) {
        const int err = errno;
        throw core::Error("Cannot read the file " + quoted(path_) + ": " + std::generic_category().message(err));
    }
    std::string content;
    char buf[65536];
    std::size_t n = 0;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) {
        content.append(buf, n);
    }
    const bool failed = std::ferror(f) != 0;
    const int err = errno;
    std::fclose(f);
    if (failed) {
        throw core::Error("Cannot read the file " + quoted(path_) + ": " + std::generic_category().message(err));
    }

    std::string_view rest = content;
    if (rest.substr(0, kBom.size()) == kBom) {
        bom_ = true;
        rest.remove_prefix(kBom.size());
    }
    const std::size_t firstLf = rest.find('\n');
    if (firstLf != std::string_view::npos && firstLf > 0 && rest[firstLf - 1] == '\r') {
        eol_ = "\r\n";
    }
    finalNewline_ = rest.empty() || rest.back() == '\n';
    while (!rest.empty()) {
        const std::size_t lf = rest.find('\n');
        std::string_view line = rest.substr(0, lf);
        rest = lf == std::string_view::npos ? std::string_view{} : rest.substr(lf + 1);
        if (eol_ == "\r\n" && lf != std::string_view::npos && !line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines_.emplace_back(line);
    }
}

std::optional<IniFile::Entry> IniFile::find(std::string_view section, std::string_view key) const
{
    // Lines before the first section header belong to the section with the empty name.
    bool inSection = section.empty();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const Line line = classify(lines_[i]);
        if (line.kind == Line::Kind::Section) {
            inSection = equalsIgnoringCase(line.name, section);
        } else if (inSection && line.kind == Line::Kind::Entry && equalsIgnoringCase(line.name, key)) {
            return Entry{i, line.name, line.value};
        }
    }
    return std::nullopt;
}

std::string IniFile::readString(std::string_view section, std::string_view key, std::string_view defaultValue) const
{
    const std::optional<Entry> e = find(section, key);
    return std::string(e ? e->value : defaultValue);
}

int IniFile::readInteger(std::string_view section, std::string_view key, int defaultValue) const
{
    const std::optional<Entry> e = find(section, key);
    return e ? integerOf(e->value, defaultValue) : defaultValue;
}

int IniFile::integerOf(std::string_view s, int defaultValue)
{
    std::size_t start = 0;
    if (!s.empty() && s.front() == '+') {
        s.remove_prefix(1); // from_chars takes a minus sign but not a plus sign
    } else if (!s.empty() && s.front() == '-') {
        start = 1;
    }
    if (s.size() == start || s[start] < '0' || s[start] > '9') {
        return defaultValue;
    }
    int v = 0;
    const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (ec != std::errc() || ptr != s.data() + s.size()) {
        return defaultValue;
    }
    return v;
}

bool IniFile::hasKey(std::string_view section, std::string_view key) const { return find(section, key).has_value(); }

void IniFile::writeString(std::string_view section, std::string_view key, std::string_view value)
{
    const std::string_view k = trim(key);
    const std::string_view sec = trim(section);
    if (k.empty() || k.find('=') != std::string_view::npos || k.front() == ';' || k.front() == '#' || k.front() == '['
        || hasLineBreak(k)) {
        throw core::Error("'" + std::string(key) + "' cannot be a key in the file " + quoted(path_));
    }
    if (sec.find_first_of("[]") != std::string_view::npos || hasLineBreak(sec)) {
        throw core::Error("'" + std::string(section) + "' cannot be a section in the file " + quoted(path_));
    }
    if (hasLineBreak(value)) {
        throw core::Error("The value of '" + std::string(k) + "' in the file " + quoted(path_) + " cannot span lines");
    }

    if (const std::optional<Entry> e = find(sec, k)) {
        // The entry keeps its own spelling of the key and its comment; only the value changes.
        std::string& line = lines_[e->line];
        const std::string_view after = std::string_view(line).substr(line.find('=') + 1);
        const std::size_t comment = inlineComment(after);
        std::string kept;
        if (comment != std::string_view::npos) {
            kept = " " + std::string(after.substr(comment));
        }
        line = std::string(e->key) + "=" + std::string(value) + kept;
        return;
    }
    std::string entry = std::string(k) + "=" + std::string(value);

    // The first block of the section: after its header up to the next header.
    std::optional<std::size_t> header;
    std::size_t begin = 0;
    if (!sec.empty()) {
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            const Line line = classify(lines_[i]);
            if (line.kind == Line::Kind::Section && equalsIgnoringCase(line.name, sec)) {
                header = i;
                begin = i + 1;
                break;
            }
        }
        if (!header) {
            if (!lines_.empty() && !trim(lines_.back()).empty()) {
                lines_.emplace_back();
            }
            lines_.push_back("[" + std::string(sec) + "]");
            lines_.push_back(std::move(entry));
            return;
        }
    }
    std::size_t end = begin;
    while (end < lines_.size() && classify(lines_[end]).kind != Line::Kind::Section) {
        ++end;
    }
    // After the last entry of the block; in a block without entries, after the comments that
    // follow the header directly.
    std::size_t at = begin;
    for (std::size_t i = begin; i < end; ++i) {
        if (classify(lines_[i]).kind == Line::Kind::Entry) {
            at = i + 1;
        }
    }
    if (at == begin) {
        while (at < end && classify(lines_[at]).kind == Line::Kind::Comment) {
            ++at;
        }
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
}

void IniFile::writeInteger(std::string_view section, std::string_view key, int value)
{
    writeString(section, key, std::to_string(value));
}

std::string IniFile::text() const
{
    std::string out;
    if (bom_) {
        out += kBom;
    }
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        out += lines_[i];
        if (i + 1 < lines_.size() || finalNewline_) {
            out += eol_;
        }
    }
    return out;
}

void IniFile::flush() { writeWholeFile(path_, text()); }

} // namespace core
