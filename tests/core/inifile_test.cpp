#include "core/inifile.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <random>
#include <string>

#include "core/error.h"

namespace core {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

class IniFileTest : public testing::Test {
protected:
    void SetUp() override
    {
        const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string("tallix_ini_") + info->test_suite_name() + "_" + info->name() + "_"
                           + std::to_string(std::random_device{}());
        for (char& c : name) {
            if (c == '/') {
                c = '_';
            }
        }
        dir_ = fs::temp_directory_path() / name;
        fs::create_directories(dir_);
    }

    void TearDown() override
    {
        std::error_code ec;
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(dir_, ec);
    }

    fs::path file(const std::string& name = "settings.ini") const { return dir_ / name; }

    fs::path put(const std::string& bytes, const std::string& name = "settings.ini") const
    {
        std::ofstream out(file(name), std::ios::binary);
        out << bytes;
        return file(name);
    }

    static std::string bytesOf(const fs::path& p)
    {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    fs::path dir_;
};

// ---------------------------------------------------------------------------------------------
// Reading

const char* const kUserFile = "; written by hand\n"
                              "[General]\n"
                              "Name = Front desk  \n"
                              "  Url=http://host/a=b\n"
                              "Unknown=kept\n"
                              "\n"
                              "# another comment\n"
                              "[Plugin.Custom]\n"
                              "Whatever=1\n"
                              "\n"
                              "[Display]\n"
                              "Width=800\n";

TEST_F(IniFileTest, ReadsTrimmedValuesWithoutRegardToCase)
{
    const IniFile ini(put(kUserFile));
    EXPECT_EQ(ini.readString("General", "Name", "-"), "Front desk");
    EXPECT_EQ(ini.readString("GENERAL", "name", "-"), "Front desk");
    EXPECT_EQ(ini.readString("general", "URL", "-"), "http://host/a=b");
    EXPECT_EQ(ini.readString("display", "WIDTH", "-"), "800");
    EXPECT_EQ(ini.readString("Display", "Name", "none"), "none");
    EXPECT_EQ(ini.readString("Missing", "Name", "none"), "none");
    EXPECT_TRUE(ini.hasKey("plugin.custom", "whatever"));
    EXPECT_FALSE(ini.hasKey("General", "Width"));
    EXPECT_FALSE(ini.hasKey("General", "; written by hand"));
}

TEST_F(IniFileTest, CommentAfterAValueIsNoPartOfIt)
{
    IniFile ini(put("[WebServer]\n"
                    "Group=acme            ; the group\n"
                    "Port=21\t# optional\n"
                    "Password=ab;cd#ef\n"
                    "Empty=   ; nothing\n"));
    EXPECT_EQ(ini.readString("WebServer", "Group", "-"), "acme");
    EXPECT_EQ(ini.readInteger("WebServer", "Port", 0), 21);
    EXPECT_EQ(ini.readString("WebServer", "Password", "-"), "ab;cd#ef");
    EXPECT_EQ(ini.readString("WebServer", "Empty", "-"), "");
    // A replaced value keeps the comment beside it.
    ini.writeString("WebServer", "Group", "beta");
    EXPECT_EQ(ini.readString("WebServer", "Group", "-"), "beta");
    EXPECT_NE(ini.text().find("Group=beta ; the group\n"), std::string::npos) << ini.text();
}

TEST_F(IniFileTest, MissingFileReadsDefaultsAndIsNotCreated)
{
    const IniFile ini(file());
    EXPECT_EQ(ini.readString("A", "b", "dflt"), "dflt");
    EXPECT_EQ(ini.readInteger("A", "b", 17), 17);
    EXPECT_EQ(ini.text(), "");
    EXPECT_FALSE(fs::exists(file()));
}

TEST_F(IniFileTest, FirstOccurrenceWinsForDuplicates)
{
    IniFile ini(put("[A]\nk=1\nk=2\n[B]\nk=3\n[a]\nk=4\nj=5\n"));
    EXPECT_EQ(ini.readString("A", "k", ""), "1");
    EXPECT_EQ(ini.readString("A", "j", ""), "5"); // a repeated section still counts
    ini.writeString("A", "k", "x");
    EXPECT_EQ(ini.text(), "[A]\nk=x\nk=2\n[B]\nk=3\n[a]\nk=4\nj=5\n");
}

TEST_F(IniFileTest, EntriesBeforeAnySectionBelongToTheEmptyName)
{
    IniFile ini(put("; top\nversion=3\n[A]\nversion=4\n"));
    EXPECT_EQ(ini.readInteger("", "version", 0), 3);
    EXPECT_EQ(ini.readInteger("A", "version", 0), 4);
    ini.writeString("", "mode", "x");
    EXPECT_EQ(ini.text(), "; top\nversion=3\nmode=x\n[A]\nversion=4\n");
}

struct IntegerText {
    const char* value;
    int expected;
    friend std::ostream& operator<<(std::ostream& os, const IntegerText& c) { return os << '"' << c.value << '"'; }
};

class ReadIntegerTest : public IniFileTest, public testing::WithParamInterface<IntegerText> {};

TEST_P(ReadIntegerTest, OnlyWholeDecimalNumbers)
{
    const IniFile ini(put(std::string("[N]\nv=") + GetParam().value + "\n"));
    EXPECT_EQ(ini.readInteger("N", "v", -99), GetParam().expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Reading, ReadIntegerTest,
    testing::Values(IntegerText{"42", 42}, IntegerText{"  -7  ", -7}, IntegerText{"+5", 5},
                    IntegerText{"007", 7}, IntegerText{"2147483647", INT_MAX},
                    IntegerText{"-2147483648", INT_MIN},
                    // Anything else reads as the default
                    IntegerText{"", -99}, IntegerText{"2147483648", -99},
                    IntegerText{"-2147483649", -99}, IntegerText{"99999999999999999999", -99},
                    IntegerText{"0x10", -99}, IntegerText{"12abc", -99}, IntegerText{"1.5", -99},
                    IntegerText{"1 000", -99}, IntegerText{"+-1", -99}, IntegerText{"- 1", -99},
                    IntegerText{"-", -99}, IntegerText{"+", -99}, IntegerText{"yes", -99}));
// clang-format on

// ---------------------------------------------------------------------------------------------
// Writing

TEST_F(IniFileTest, ReplacesInPlaceAndKeepsEverythingElse)
{
    IniFile ini(put(kUserFile));
    ini.writeString("general", "NAME", "Back office");
    ini.writeInteger("Display", "Width", 1024);
    ini.writeString("plugin.custom", "whatever", "");
    const std::string expected = "; written by hand\n"
                                 "[General]\n"
                                 "Name=Back office\n"
                                 "  Url=http://host/a=b\n"
                                 "Unknown=kept\n"
                                 "\n"
                                 "# another comment\n"
                                 "[Plugin.Custom]\n"
                                 "Whatever=\n"
                                 "\n"
                                 "[Display]\n"
                                 "Width=1024\n";
    EXPECT_EQ(ini.text(), expected);
    EXPECT_EQ(ini.readInteger("Display", "Width", 0), 1024);
    ini.flush();
    EXPECT_EQ(bytesOf(file()), expected);
    EXPECT_FALSE(fs::exists(file("settings.ini.tmp")));
    EXPECT_EQ(IniFile(file()).readString("General", "Name", ""), "Back office");
}

TEST_F(IniFileTest, NewKeyGoesAfterTheLastEntryOfItsSection)
{
    IniFile ini(put(kUserFile));
    ini.writeString("General", "Added", "1");
    ini.writeString("Display", "Height", "600");
    EXPECT_EQ(ini.text(), "; written by hand\n"
                          "[General]\n"
                          "Name = Front desk  \n"
                          "  Url=http://host/a=b\n"
                          "Unknown=kept\n"
                          "Added=1\n"
                          "\n"
                          "# another comment\n"
                          "[Plugin.Custom]\n"
                          "Whatever=1\n"
                          "\n"
                          "[Display]\n"
                          "Width=800\n"
                          "Height=600\n");
}

TEST_F(IniFileTest, NewKeyInASectionWithoutEntriesFollowsItsHeaderComments)
{
    IniFile ini(put("[Empty]\n; what goes here\n\n; about next\n[Next]\nk=1\n"));
    ini.writeString("empty", "First", "a");
    EXPECT_EQ(ini.text(), "[Empty]\n; what goes here\nFirst=a\n\n; about next\n[Next]\nk=1\n");
}

TEST_F(IniFileTest, NewFileIsWrittenSectionBySectionInTheOrderWritten)
{
    IniFile ini(file());
    ini.writeString("Window", "Left", "10");
    ini.writeString("Recent", "File1", "/tmp/a.db");
    ini.writeInteger("Window", "Top", -20);
    ini.writeString("Recent", "File2", "C:\\data\\b.db");
    ini.writeString("window", "left", "11");
    const std::string expected = "[Window]\n"
                                 "Left=11\n"
                                 "Top=-20\n"
                                 "\n"
                                 "[Recent]\n"
                                 "File1=/tmp/a.db\n"
                                 "File2=C:\\data\\b.db\n";
    EXPECT_EQ(ini.text(), expected);
    ini.flush();
    EXPECT_EQ(bytesOf(file()), expected);
    const IniFile again(file());
    EXPECT_EQ(again.readInteger("WINDOW", "TOP", 0), -20);
    EXPECT_EQ(again.readString("recent", "file2", ""), "C:\\data\\b.db");
}

TEST_F(IniFileTest, FlushReplacesAnExistingFile)
{
    IniFile ini(put("[A]\nk=1\n"));
    ini.writeString("A", "k", "2");
    ini.flush();
    ini.writeString("B", "j", "3");
    ini.flush();
    EXPECT_EQ(bytesOf(file()), "[A]\nk=2\n\n[B]\nj=3\n");
}

TEST_F(IniFileTest, RejectsWhatCannotBeReadBack)
{
    IniFile ini(file());
    EXPECT_THROW(ini.writeString("A", "", "v"), core::Error);
    EXPECT_THROW(ini.writeString("A", "a=b", "v"), core::Error);
    EXPECT_THROW(ini.writeString("A", "a\nb", "v"), core::Error);
    EXPECT_THROW(ini.writeString("A", ";k", "v"), core::Error);
    EXPECT_THROW(ini.writeString("A", "k", "line1\nline2"), core::Error);
    EXPECT_THROW(ini.writeString("A", "k", "line1\rline2"), core::Error);
    EXPECT_THROW(ini.writeString("A]", "k", "v"), core::Error);
    EXPECT_EQ(ini.text(), "");
}

// ---------------------------------------------------------------------------------------------
// The file's own form: line ends, final newline, byte-order mark

struct FileForm {
    const char* name;
    std::string bytes;
    friend std::ostream& operator<<(std::ostream& os, const FileForm& c) { return os << c.name; }
};

class FileFormTest : public IniFileTest, public testing::WithParamInterface<FileForm> {};

TEST_P(FileFormTest, UntouchedFileIsWrittenBackAsItWas)
{
    IniFile ini(put(GetParam().bytes));
    EXPECT_EQ(ini.text(), GetParam().bytes);
    ini.flush();
    EXPECT_EQ(bytesOf(file()), GetParam().bytes);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Forms, FileFormTest,
    testing::Values(FileForm{"Lf", "[A]\nk=v\n"}, FileForm{"CrLf", "[A]\r\nk=v\r\n\r\n; c\r\n"},
                    FileForm{"NoFinalNewline", "[A]\nk=v"},
                    FileForm{"CrLfNoFinalNewline", "[A]\r\nk=v"},
                    FileForm{"Bom", "\xEF\xBB\xBF[A]\nk=v\n"}, FileForm{"Empty", ""},
                    FileForm{"OnlyBlankLines", "\n\n\n"}, FileForm{"OnlyBom", "\xEF\xBB\xBF"},
                    FileForm{"StrayCarriageReturn", "[A]\nk=v\r\nj=w\n"},
                    FileForm{"Garbage", "[A\n=v\n]\n[\n[[x]]\nk\0ey=v\0al\n\r\r\n"s}));
// clang-format on

TEST_F(IniFileTest, CrLfFileKeepsCrLfForNewLines)
{
    IniFile ini(put("; c\r\n[A]\r\nk=1\r\n"));
    EXPECT_EQ(ini.readString("A", "k", ""), "1");
    ini.writeString("A", "k", "2");
    ini.writeString("A", "j", "3");
    ini.writeString("B", "x", "4");
    EXPECT_EQ(ini.text(), "; c\r\n[A]\r\nk=2\r\nj=3\r\n\r\n[B]\r\nx=4\r\n");
}

TEST_F(IniFileTest, MissingFinalNewlineStaysMissing)
{
    IniFile ini(put("[A]\nk=1"));
    EXPECT_EQ(ini.readString("A", "k", ""), "1");
    ini.writeString("A", "j", "2");
    EXPECT_EQ(ini.text(), "[A]\nk=1\nj=2");
}

TEST_F(IniFileTest, ByteOrderMarkIsSkippedOnReadAndKeptOnWrite)
{
    IniFile ini(put("\xEF\xBB\xBF[Zeit]\nOrt=M\xC3\xBCnchen\n"));
    EXPECT_EQ(ini.readString("zeit", "ort", ""), "M\xC3\xBCnchen");
    ini.writeString("Zeit", "Ort", "K\xC3\xB6ln");
    EXPECT_EQ(ini.text(), "\xEF\xBB\xBF[Zeit]\nOrt=K\xC3\xB6ln\n");
}

// ---------------------------------------------------------------------------------------------
// Failures

TEST_F(IniFileTest, FlushIntoAMissingFolderNamesTheFile)
{
    const fs::path target = dir_ / "no-such-folder" / "settings.ini";
    IniFile ini(target);
    ini.writeString("A", "k", "v");
    try {
        ini.flush();
        FAIL() << "flush succeeded";
    } catch (const core::Error& e) {
        const std::string what = e.what();
        EXPECT_NE(what.find(target.string()), std::string::npos) << what;
        EXPECT_NE(what.find("No such file or directory"), std::string::npos) << what;
    }
}

TEST_F(IniFileTest, FlushOverAFolderFailsAndLeavesNoTemporaryFile)
{
    const fs::path target = dir_ / "taken";
    IniFile ini(target);
    fs::create_directory(target);
    ini.writeString("A", "k", "v");
    try {
        ini.flush();
        FAIL() << "flush succeeded";
    } catch (const core::Error& e) {
        EXPECT_NE(std::string(e.what()).find(target.string()), std::string::npos) << e.what();
    }
    EXPECT_FALSE(fs::exists(dir_ / "taken.tmp"));
    EXPECT_TRUE(fs::is_directory(target));
}

TEST_F(IniFileTest, FlushIntoAReadOnlyFolderNamesTheFile)
{
    IniFile ini(put("[A]\nk=1\n"));
    fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
    {
        std::ofstream probe(dir_ / "probe");
        if (probe) {
            GTEST_SKIP() << "permissions are not enforced for this user";
        }
    }
    ini.writeString("A", "k", "2");
    try {
        ini.flush();
        FAIL() << "flush succeeded";
    } catch (const core::Error& e) {
        const std::string what = e.what();
        EXPECT_NE(what.find(file().string()), std::string::npos) << what;
        EXPECT_NE(what.find("Permission denied"), std::string::npos) << what;
    }
    EXPECT_EQ(bytesOf(file()), "[A]\nk=1\n");
}

TEST_F(IniFileTest, FlushUnderAPathThatIsNoFolderNamesTheFile)
{
    // Fails for every user, root included: the "folder" is a plain file.
    const fs::path notAFolder = put("[A]\nk=1\n");
    IniFile ini(notAFolder / "SetupValues.ini");
    ini.writeString("A", "k", "2");
    try {
        ini.flush();
        FAIL() << "flush succeeded";
    } catch (const core::Error& e) {
        EXPECT_NE(std::string(e.what()).find((notAFolder / "SetupValues.ini").string()), std::string::npos) << e.what();
    }
    EXPECT_EQ(bytesOf(notAFolder), "[A]\nk=1\n");
}

TEST_F(IniFileTest, AFolderCannotBeLoaded)
{
    try {
        IniFile ini(dir_);
        FAIL() << "a folder was loaded";
    } catch (const core::Error& e) {
        EXPECT_NE(std::string(e.what()).find(dir_.string()), std::string::npos) << e.what();
    }
}

TEST_F(IniFileTest, HandWrittenGarbageIsKeptAndIgnored)
{
    std::string bytes = "[A]\nk=1\n[Broken\nj=2\n=orphan\n   = \n";
    bytes += std::string(1 << 20, 'x') + "=long\n";
    bytes += "nul\0key=3\n"s;
    bytes += "[B\x01]\n]\n[\n[]\nm=4\n\xFF\xFE=5\n";
    IniFile ini(put(bytes));
    // "[Broken" is no section header, so j still belongs to A.
    EXPECT_EQ(ini.readString("A", "j", ""), "2");
    EXPECT_FALSE(ini.hasKey("Broken", "j"));
    EXPECT_FALSE(ini.hasKey("A", ""));
    EXPECT_EQ(ini.readString("A", std::string(1 << 20, 'X'), ""), "long");
    EXPECT_EQ(ini.readInteger("A", "nul\0key"s, 0), 3);
    EXPECT_EQ(ini.readInteger("", "m", 0), 4); // "[]" is the section with the empty name
    EXPECT_EQ(ini.readInteger("", "\xFF\xFE", 0), 5);
    ini.writeString("A", "k", "9");
    std::string expected = bytes;
    expected.replace(expected.find("k=1"), 3, "k=9");
    EXPECT_EQ(ini.text(), expected);
}

} // namespace
} // namespace core
