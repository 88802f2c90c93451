// "Download clock data" against a real FTP server that the test starts itself.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/process.h"
#include "support/testsupport.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kUser = "tallixft";
constexpr const char* kPassword = "Se3cretPass9";

class Download : public ::testing::Test {
protected:
    testsupport::TempDir home;
    testsupport::TempDir site;
    std::string remote;

    void SetUp() override
    {
        fs::create_directories(site / "public_html/acme-site/files");
        remote = "0821234567,2024/04/09 07:58:03,IN,-33.86612,18.62301\r\n";
        remote += std::string("\x00\xff binary tail\n", 15);
        testsupport::writeFile(site / "public_html/acme-site/files/acme.txt", remote);
    }

    void configure(int port, const std::string& password = kPassword, const std::string& folder = "acme-site",
                   const std::string& group = "acme")
    {
        testsupport::writeFile(home / "WebServer.ini", "[WebServer]\nGroup=" + group + "\nHost=127.0.0.1\nPort="
                                                           + std::to_string(port) + "\nUser=" + kUser
                                                           + "\nPassword=" + password + "\nSiteFolder=" + folder + "\n");
    }

    testsupport::ProcessResult cli(const std::string& today, std::vector<std::string> more = {"Downloadfromwebserver1Click"})
    {
        std::vector<std::string> args{"--home", home.path().string(), "--today", today};
        args.insert(args.end(), more.begin(), more.end());
        return testsupport::runProcess(TALLIX_CLI, args);
    }

    std::vector<std::string> datFiles()
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(home.path()))
            if (e.path().extension() == ".dat")
                names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(Download, FetchesTheRemoteFileByteForByte)
{
    testsupport::FtpServer server(site.path().string(), kUser, kPassword);
    configure(server.port());
    const auto r = cli("2024-04-10");
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(r.out, "message: Download complete!\n");
    EXPECT_EQ(testsupport::readFile(home / "acme_2024410_1.dat"), remote);
}

TEST_F(Download, PassiveReplyAddressIsIgnoredForTheDataConnection)
{
    // The server names 127.0.0.2 in its PASV reply and refuses EPSV; the data connection must
    // still go to the control connection's host.
    testsupport::FtpServer server(site.path().string(), kUser, kPassword, "127.0.0.2");
    configure(server.port());
    const auto r = cli("2024-04-10");
    ASSERT_EQ(r.code, 0) << r.out;
    EXPECT_EQ(testsupport::readFile(home / "acme_2024410_1.dat"), remote);
}

TEST_F(Download, CounterIsSharedWithTheScannerImportAndRestartsNextDay)
{
    testsupport::FtpServer server(site.path().string(), kUser, kPassword);
    configure(server.port());
    testsupport::writeFile(home / "scanner.dat", "");
    ASSERT_EQ(cli("2024-04-10").code, 0);
    ASSERT_EQ(cli("2024-04-10").code, 0);
    ASSERT_EQ(cli("2024-04-10", {"--open", (home / "scanner.dat").string(), "DownloadfromBiometricUnit1Click"}).code, 0);
    ASSERT_EQ(cli("2024-04-11").code, 0);
    EXPECT_EQ(datFiles(), (std::vector<std::string>{"FP_2024410_3.dat", "acme_2024410_1.dat", "acme_2024410_2.dat",
                                                    "acme_2024411_1.dat", "scanner.dat"}));
}

TEST_F(Download, FailuresSayWhyAndLeaveNoFile)
{
    testsupport::FtpServer server(site.path().string(), kUser, kPassword);
    struct Case {
        const char* what;
        int port;
        std::string password, folder, group, reason;
    };
    const int nobody = testsupport::unusedPort();
    const Case cases[] = {
        {"wrong password", server.port(), "WrongPass", "acme-site", "acme", "log-in refused for user tallixft"},
        {"missing folder", server.port(), kPassword, "other-site", "acme", "folder public_html/other-site/files missing"},
        {"missing file", server.port(), kPassword, "acme-site", "nope", "file nope.txt missing"},
        {"no server", nobody, kPassword, "acme-site", "acme", "cannot connect to 127.0.0.1:" + std::to_string(nobody)},
    };
    for (const Case& c : cases) {
        configure(c.port, c.password, c.folder, c.group);
        const auto r = cli("2024-04-10");
        EXPECT_EQ(r.code, 1) << c.what << "\n" << r.out;
        EXPECT_NE(r.out.find("result: Download failed: " + c.reason), std::string::npos) << c.what << "\n" << r.out;
        EXPECT_NE(r.out.find("error: Download failed: " + c.reason), std::string::npos) << c.what << "\n" << r.out;
        EXPECT_EQ(r.out.find(kPassword), std::string::npos) << c.what;
        EXPECT_EQ(r.out.find("WrongPass"), std::string::npos) << c.what;
        EXPECT_TRUE(datFiles().empty()) << c.what;
    }
}

} // namespace
