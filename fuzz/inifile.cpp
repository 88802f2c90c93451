// The settings file reader and writer, core::IniFile: arbitrary bytes loaded from a file, the
// sections and keys the file itself names (and a few the program uses) read, written and read
// back, the text compared with the file, and the file flushed and loaded again.

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

#include "check.h"
#include "core/error.h"
#include "core/inifile.h"
#include "scratchfile.h"

namespace {

using Name = std::pair<std::string, std::string>; // section, key

/// A value never holds a line break, so this default tells "missing" from every value.
constexpr std::string_view kMissing = "\n";

std::string_view trimBlanks(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

/// Sections and keys to try: those the program reads, and the names that the file's own
/// lines seem to give ("[x]" a section, "x=" a key), every key paired with every section.
std::vector<Name> namesOf(std::string_view bytes)
{
    std::vector<std::string> sections{"", "LOCATION", "FILEDATE"};
    std::vector<std::string> keys{"LATITUDE", "TELLER", "Database"};
    constexpr std::size_t kMost = 6;
    while (!bytes.empty() && (sections.size() < kMost || keys.size() < kMost)) {
        const std::size_t lf = bytes.find('\n');
        const std::string_view line = bytes.substr(0, lf);
        bytes = lf == std::string_view::npos ? std::string_view() : bytes.substr(lf + 1);
        const std::size_t open = line.find('[');
        const std::size_t close = line.find(']', open == std::string_view::npos ? 0 : open);
        if (open != std::string_view::npos && close != std::string_view::npos && sections.size() < kMost)
            sections.emplace_back(trimBlanks(line.substr(open + 1, close - open - 1)));
        const std::size_t eq = line.find('=');
        if (eq != std::string_view::npos && keys.size() < kMost)
            keys.emplace_back(trimBlanks(line.substr(0, eq)));
    }
    std::vector<Name> names;
    for (const std::string& s : sections)
        for (const std::string& k : keys)
            names.emplace_back(s, k);
    return names;
}

/// The whole decimal number a value spells ("+7", "-12", "007"), if it spells one that fits.
std::optional<int> wholeNumber(std::string_view value)
{
    std::string_view digits = value;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-'))
        digits.remove_prefix(1);
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    int v = 0;
    const char* first = value.front() == '+' ? value.data() + 1 : value.data();
    const auto [ptr, ec] = std::from_chars(first, value.data() + value.size(), v);
    if (ec != std::errc() || ptr != value.data() + value.size())
        return std::nullopt;
    return v;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i]))
            return false;
    return true;
}

/// What an entry reads as, through each of the three readers, which must agree.
std::string readChecked(const core::IniFile& ini, const Name& n)
{
    const std::string value = ini.readString(n.first, n.second, kMissing);
    FUZZ_CHECK(ini.hasKey(n.first, n.second) == (value != kMissing));
    const int a = ini.readInteger(n.first, n.second, 7);
    const int b = ini.readInteger(n.first, n.second, 8);
    const std::optional<int> number = value != kMissing ? wholeNumber(value) : std::nullopt;
    if (number)
        FUZZ_CHECK(a == *number && b == *number);
    else
        FUZZ_CHECK(a == 7 && b == 8);
    return value;
}

/// A file whose lines all end alike (all LF, or all CR LF) is written back byte for byte.
bool lineEndsAlike(std::string_view bytes)
{
    bool bareLf = false;
    bool crLf = false;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n')
            (i > 0 && bytes[i - 1] == '\r' ? crLf : bareLf) = true;
    }
    return !(bareLf && crLf);
}

std::string fileText(const std::filesystem::path& file)
{
    std::string text;
    if (std::FILE* f = std::fopen(file.c_str(), "rb")) {
        char buf[4096];
        std::size_t n = 0;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            text.append(buf, n);
        std::fclose(f);
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::filesystem::path& file = fuzzing::writeScratchFile(data, size);

    std::optional<core::IniFile> loaded;
    try {
        loaded.emplace(file);
    } catch (const core::Error&) {
        return 0;
    }
    core::IniFile& ini = *loaded;
    if (lineEndsAlike(bytes))
        FUZZ_CHECK(ini.text() == bytes);

    const std::vector<Name> names = namesOf(bytes);
    std::vector<std::string> values;
    for (const Name& n : names)
        values.push_back(readChecked(ini, n));

    // Every other name gets a new value, alternately text and a number. A write changes that
    // entry, under every spelling of its name, and nothing else.
    for (std::size_t i = 0; i < names.size(); i += 2) {
        const Name& n = names[i];
        std::string value;
        try {
            if (i % 4 == 0) {
                value = "v" + std::to_string(i) + " x=y";
                ini.writeString(n.first, n.second, value);
            } else {
                // Numbers from all over the int range, negative ones too.
                const int number = static_cast<int>(0x9E3779B9u * static_cast<std::uint32_t>(i + size));
                value = std::to_string(number);
                ini.writeInteger(n.first, n.second, number);
            }
        } catch (const core::Error&) {
            continue; // a name the file cannot hold
        }
        FUZZ_CHECK(readChecked(ini, n) == value);
        for (std::size_t j = 0; j < names.size(); ++j) {
            if (equalsIgnoringCase(names[j].first, n.first) && equalsIgnoringCase(names[j].second, n.second))
                values[j] = value;
        }
    }
    for (std::size_t j = 0; j < names.size(); ++j)
        FUZZ_CHECK(readChecked(ini, names[j]) == values[j]);

    // Written to disk and loaded again, the file reads as it did in memory.
    const std::string text = ini.text();
    try {
        ini.flush();
    } catch (const core::Error&) {
        return 0;
    }
    FUZZ_CHECK(fileText(file) == text);
    const core::IniFile again(file);
    for (std::size_t j = 0; j < names.size(); ++j)
        FUZZ_CHECK(readChecked(again, names[j]) == values[j]);
    return 0;
}
