#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace core {

/// How the fields of one kind of input line are told apart.
struct LineRules {
    char separator = ',';
    /// A field that starts with a double quote and whose closing quote stands right before the
    /// separator (or the line end, for the last field) is one field: the text between the
    /// quotes, with doubled quotes inside read as one. Any other field, also one that starts
    /// with a quote ("Sipho" Ndlovu, "Smith), is taken as it stands, so that no text is lost.
    bool quotedFields = false;
};

/// The line layouts of the files the program reads, all in one place.
namespace lineRules {
/// Employee import, NUMBER,Name,MobileNo,PayrollNo, as the export and spreadsheets write it.
inline constexpr LineRules employeeFile{',', true};
/// Phone clock data: the app writes no quotes, and a comma is always a separator.
inline constexpr LineRules phoneClockFile{',', false};
/// The tab-separated layout of a fingerprint scanner's file.
inline constexpr LineRules scannerTabs{'\t', false};
/// The demo site's own tables (workers.csv, shifts.csv): plain numbers and names, no quotes.
inline constexpr LineRules demoSiteFile{',', false};
} // namespace lineRules

/// Reads the fields of one line from the front, under the rules of its file. A field that is
/// looked for but has no separator after it reads as empty and passes nothing, so that what
/// follows is read from the same place.
class LineCursor {
public:
    LineCursor(std::string_view line, const LineRules& rules) : line_(line), rules_(rules) {}

    /// The next field and the separator after it; empty, and nothing passed, when no separator
    /// follows. A quoted field that ends the line has no separator after it either.
    std::string field() { return tryField().value_or(std::string()); }
    /// The same, but nothing at all (rather than an empty field) when no separator follows.
    std::optional<std::string> tryField();
    /// Up to `n` characters as they stand: fewer at the end of the line.
    std::string fixed(std::size_t n);
    /// Passes one character, whatever it is; nothing at the end of the line.
    void skip();
    /// The rest of the line as its last field, separators and all; a rest that is one quoted
    /// field loses its quotes when the rules honour them.
    std::string rest();

private:
    struct Quoted {
        std::string text;
        bool closed = false;
        std::size_t end = 0; ///< just after the closing quote
    };
    Quoted readQuoted() const;

    std::string_view line_;
    LineRules rules_;
    std::size_t pos_ = 0;
};

/// Every field of a line: the pieces between the separators, the last one up to the line end.
/// An empty line is one empty field.
std::vector<std::string> splitLine(std::string_view line, const LineRules& rules);

} // namespace core
