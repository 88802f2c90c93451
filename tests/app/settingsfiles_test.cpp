// The runner started with settings files that cannot be used: a clear error and exit 1,
// never a crash; and two runners on one site at once.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include <unistd.h>

#include "core/inifile.h"
#include "store/sqlite.h"
#include "support/process.h"
#include "support/testsupport.h"

namespace {

namespace fs = std::filesystem;

struct BrokenCase {
    const char* what;
    std::function<void(const fs::path& home)> spoil;
    std::vector<std::string> commands;
    std::string message; ///< part of the error line
    friend std::ostream& operator<<(std::ostream& os, const BrokenCase& c) { return os << c.what; }
};

const std::string kWebServer = "[WebServer]\nGroup=acme\nUser=tallixft\nPassword=Se3cretPass9\nSiteFolder=acme-site\n";

class BrokenSettings : public testing::TestWithParam<BrokenCase> {};

TEST_P(BrokenSettings, EndWithAClearErrorAndExitOne)
{
    testsupport::TempDir home;
    GetParam().spoil(home.path());
    std::vector<std::string> args{"--home", home.path().string(), "--today", "2024-04-10"};
    args.insert(args.end(), GetParam().commands.begin(), GetParam().commands.end());
    const auto r = testsupport::runProcess(TALLIX_CLI, args);
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_NE(r.out.find("error: "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(GetParam().message), std::string::npos) << r.out;
    // Nothing was written over the broken file, and no dated file was made.
    for (const auto& e : fs::directory_iterator(home.path()))
        EXPECT_NE(e.path().extension(), ".dat") << e.path();
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Files, BrokenSettings,
    testing::Values(
        BrokenCase{"SetupValues.ini is a folder", [](const fs::path& h) { fs::create_directories(h / "SetupValues.ini"); },
                   {}, "SetupValues.ini': Is a directory"},
        BrokenCase{"TallixServer.ini is a folder",
                   [](const fs::path& h) { fs::create_directories(h / "TallixServer.ini"); }, {},
                   "TallixServer.ini': Is a directory"},
        BrokenCase{"WebServer.ini is missing", [](const fs::path&) {}, {"Downloadfromwebserver1Click"},
                   "WebServer.ini is missing"},
        BrokenCase{"WebServer.ini is a folder", [](const fs::path& h) { fs::create_directories(h / "WebServer.ini"); },
                   {"Downloadfromwebserver1Click"}, "WebServer.ini': Is a directory"},
        BrokenCase{"Host with a scheme and a folder",
                   [](const fs::path& h) {
                       testsupport::writeFile(h / "WebServer.ini", kWebServer + "Host=ftp://ftp.example.com/files\n");
                                    // clang-format on
                                },
                                {"Downloadfromwebserver1Click"},
                                "without ftp://, a folder or a port"},
                     BrokenCase{"Host with a port",
                                [](const fs::path& h) {
                                    testsupport::writeFile(h / "WebServer.ini", kWebServer + "Host=127.0.0.1:2121\n");
                                },
                                {"Downloadfromwebserver1Click"},
                                "'127.0.0.1:2121'"}));

TEST(UnreadableSettings, SetupValuesThatCannotBeReadEndWithExitOne)
{
    testsupport::TempDir home;
    testsupport::writeFile(home / "SetupValues.ini", "[LUNCH]\nMINUTES_BREAK=45\n");
    fs::permissions(home / "SetupValues.ini", fs::perms::none);
    std::vector<std::string> args{"--home", home.path().string()};
    testsupport::ProcessResult r;
    if (::geteuid() == 0) {
        // root reads every file: run as a user who may write the folder but not read the file.
        fs::permissions(home.path(), fs::perms::all);
        r = testsupport::runProcessAs(65534, 65534, TALLIX_CLI, args);
    } else {
        r = testsupport::runProcess(TALLIX_CLI, args);
    }
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_NE(r.out.find("error: Cannot read the file"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Permission denied"), std::string::npos) << r.out;
    fs::permissions(home / "SetupValues.ini", fs::perms::owner_read | fs::perms::owner_write);
    // The file the program could not read is not replaced by one with the defaults.
    EXPECT_EQ(testsupport::readFile(home / "SetupValues.ini"), "[LUNCH]\nMINUTES_BREAK=45\n");
}

// A posting and an import started together, round after round: the settings file always
// holds the number after the one just posted, never the older one the import started with.
TEST(SharedSettingsFile, APostingAndAnImportStartedTogetherLeaveTheNumberMovedOn)
{
    testsupport::TempDir home;
    const std::string h = home.path().string();
    const auto cli = [&](const std::vector<std::string>& more) {
        std::vector<std::string> args{"--home", h, "--today", "2026-04-01"};
        args.insert(args.end(), more.begin(), more.end());
        const testsupport::ProcessResult r = testsupport::runProcess(TALLIX_CLI, args);
        EXPECT_EQ(r.code, 0) << r.out;
    };
    cli({"--demo"});
    cli({"--open", h + "/clockdata.txt", "ImportPreviousdownloadedfiles1Click", "--yes", "ProcessClockData1Click",
         "Summarise1Click"});
    const std::string run = std::string("\"") + TALLIX_CLI + "\" --home \"" + h + "\" --today 2026-04-01 ";
    for (int round = 1; round <= 6; ++round) {
        SCOPED_TRACE(round);
        const testsupport::ProcessResult r = testsupport::runProcess(
            "/bin/sh", {"-c", run + "--yes POSTtoHISTORYFILE1Click >\"" + h + "/post.out\" 2>&1 & " + run + "--open \""
                                  + h + "/clockdata.txt\" ImportPreviousdownloadedfiles1Click >\"" + h
                                  + "/import.out\" 2>&1 & "
                                    "wait"});
        EXPECT_EQ(r.code, 0) << r.out;
        const std::string posted = testsupport::readFile(home / "post.out");
        const std::string imported = testsupport::readFile(home / "import.out");
        EXPECT_NE(posted.find("Pay period " + std::to_string(round) + " posted"), std::string::npos) << posted;
        EXPECT_NE(imported.find("clockings stored"), std::string::npos) << imported;
        EXPECT_EQ(core::IniFile(home / "SetupValues.ini").readString("PERIOD", "NUMBER", ""),
                  std::to_string(round + 1));
    }
    store::Database db((home / "tallix.db").string());
    store::Statement st(db, "SELECT count(*), max(Period) FROM PerHistory");
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.columnInt(0), 6);
    EXPECT_EQ(st.columnInt(1), 6);
}

} // namespace
