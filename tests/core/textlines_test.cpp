// The lines of files other programs wrote, whatever text encoding they were saved in.

#include "core/textlines.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "support/testsupport.h"

namespace {

using Encoding = core::TextLineReader::Encoding;

struct FileCase {
    const char* what;
    std::string bytes;
    Encoding encoding;
    std::vector<std::string> lines;    ///< as handed out, UTF-8
    std::vector<std::string> rawLines; ///< as the file holds them
    friend std::ostream& operator<<(std::ostream& os, const FileCase& c) { return os << c.what; }
};

class TextLinesTest : public testing::TestWithParam<FileCase> {};

TEST_P(TextLinesTest, HandsOutUtf8LinesAndKeepsTheBytes)
{
    const FileCase& c = GetParam();
    testsupport::TempDir dir;
    const auto file = dir / "in.csv";
    testsupport::writeFile(file, c.bytes);
    core::TextLineReader in(file);
    EXPECT_EQ(in.encoding(), c.encoding);
    std::vector<std::string> lines;
    std::vector<std::string> raw;
    for (std::string line; in.readLine(line);) {
        lines.push_back(line);
        raw.push_back(in.rawLine());
    }
    EXPECT_EQ(lines, c.lines);
    EXPECT_EQ(raw, c.rawLines);
    EXPECT_EQ(in.position(), in.size());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Encodings, TextLinesTest, testing::Values(
    FileCase{"UTF-8", "5,Ren\xC3\xA9""e,0823,P3\r\n7,Eve", Encoding::Utf8,
             {"5,Ren\xC3\xA9""e,0823,P3", "7,Eve"}, {"5,Ren\xC3\xA9""e,0823,P3", "7,Eve"}},
    FileCase{"UTF-8 with its mark", "\xEF\xBB\xBF""5,Ann\n", Encoding::Utf8, {"5,Ann"}, {"5,Ann"}},
    // A spreadsheet on an office PC: Windows-1252, é as E9, the euro sign as 80, 81 undefined.
    FileCase{"Windows-1252", "5,Ren\xE9""e,0823,P3\r\n6,\x80 \x81\n", Encoding::Windows1252,
             {"5,Ren\xC3\xA9""e,0823,P3", "6,\xE2\x82\xAC \xC2\x81"}, {"5,Ren\xE9""e,0823,P3", "6,\x80 \x81"}},
    FileCase{"an overlong UTF-8 form is no UTF-8", "\xC0\xAF", Encoding::Windows1252, {"\xC3\x80\xC2\xAF"},
             {"\xC0\xAF"}},
    FileCase{"a cut UTF-8 sequence at the end", "ok\xE2\x82", Encoding::Windows1252,
             {"ok\xC3\xA2\xE2\x80\x9A"}, {"ok\xE2\x82"}},
    FileCase{"UTF-16 little endian", std::string("\xFF\xFE""5\0,\0\xE9\0\n\0", 10), Encoding::Utf16,
             {"5,\xC3\xA9"}, {"5,\xC3\xA9"}},
    FileCase{"UTF-16 big endian", std::string("\xFE\xFF\0""5\0,\0\xE9", 8), Encoding::Utf16, {"5,\xC3\xA9"},
             {"5,\xC3\xA9"}},
    // A UTF-16 mark with no UTF-16 text after it (an odd number of bytes, a lone surrogate):
    // the bytes as they are.
    FileCase{"a UTF-16 mark before an odd number of bytes", "\xFE\xFF""abc", Encoding::Windows1252,
             {"\xC3\xBE\xC3\xBF""abc"}, {"\xFE\xFF""abc"}},
    FileCase{"a UTF-16 mark before a lone surrogate", std::string("\xFF\xFE\x00\xD8", 4), Encoding::Windows1252,
             {"\xC3\xBF\xC3\xBE" + std::string(1, '\0') + "\xC3\x98"}, {std::string("\xFF\xFE\x00\xD8", 4)}},
    FileCase{"UTF-16 with a surrogate pair", std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6), Encoding::Utf16,
             {"\xF0\x9F\x98\x80"}, {"\xF0\x9F\x98\x80"}},
    // Only the first mark is the mark: a second one is text (a zero-width no-break space).
    FileCase{"UTF-16 with a second mark", "\xFE\xFF\xFE\xFF", Encoding::Utf16, {"\xEF\xBB\xBF"}, {"\xEF\xBB\xBF"}},
    FileCase{"an empty file", "", Encoding::Utf8, {}, {}}));
// clang-format on

} // namespace
