// "Download clock data" against a real FTP server that the test starts itself.

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

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
                   const std::string& group = "acme", const std::string& more = "")
    {
        testsupport::writeFile(home / "WebServer.ini", "[WebServer]\nGroup=" + group + "\nHost=127.0.0.1\nPort="
                                                           + std::to_string(port) + "\nUser=" + kUser + "\nPassword="
                                                           + password + "\nSiteFolder=" + folder + "\n" + more);
    }

    /// A server that sends the first 40 bytes of the remote file and then nothing more.
    testsupport::StallingFtpServer stallingServer()
    {
        return {(site / "public_html/acme-site/files/acme.txt").string(), 40};
    }

    testsupport::ProcessResult cli(const std::string& today,
                                   std::vector<std::string> more = {"Downloadfromwebserver1Click"})
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
    ASSERT_EQ(cli("2024-04-10", {"--open", (home / "scanner.dat").string(), "DownloadfromBiometricUnit1Click"}).code,
              0);
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
        {"missing folder", server.port(), kPassword, "other-site", "acme",
         "folder public_html/other-site/files missing"},
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

TEST_F(Download, StalledTransferEndsAfterTheTimeoutAndLeavesNoFile)
{
    const testsupport::StallingFtpServer server = stallingServer();
    configure(server.port(), kPassword, "acme-site", "acme", "Timeout=2\n");
    const auto started = std::chrono::steady_clock::now();
    const auto r = cli("2024-04-10");
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    EXPECT_EQ(r.code, 1) << r.out;
    EXPECT_NE(r.out.find("error: Download failed: the server sent nothing for 2 seconds in the middle of the file"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Timeout in WebServer.ini"), std::string::npos) << r.out;
    EXPECT_LT(seconds, 10.0);
    EXPECT_TRUE(datFiles().empty());
    EXPECT_FALSE(fs::exists(home / "acme_2024410_1.dat.part"));
}

TEST_F(Download, KilledDownloadLeavesNoDatedFile)
{
    const testsupport::StallingFtpServer server = stallingServer();
    configure(server.port());
    // Killed a second after the download began: the first bytes have arrived by then.
    ASSERT_TRUE(testsupport::killAfterMarker(
        TALLIX_CLI, {"--home", home.path().string(), "--today", "2024-04-10", "Downloadfromwebserver1Click"},
        "Downloading the clock-data file", 1000));
    EXPECT_TRUE(datFiles().empty());
    ASSERT_TRUE(fs::exists(home / "acme_2024410_1.dat.part"));
    EXPECT_EQ(testsupport::readFile(home / "acme_2024410_1.dat.part"), remote.substr(0, 40));
}

// ---------------------------------------------------------------------------------------------
// TLS against vsftpd, with a certificate the test makes itself

constexpr const char* kVsftpd = "/usr/sbin/vsftpd";

bool accepts(int port)
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<uint16_t>(port));
    const bool ok = ::connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(s);
    return ok;
}

/// vsftpd on 127.0.0.1 serving `root` to anonymous users, with or without TLS, in the
/// foreground as the user who started it; killed when the object goes.
class Vsftpd {
public:
    Vsftpd(const fs::path& dir, const fs::path& root, bool tls)
    {
        port_ = testsupport::unusedPort();
        std::string conf = "listen=YES\nlisten_address=127.0.0.1\nlisten_port=" + std::to_string(port_)
                           + "\nbackground=NO\nrun_as_launching_user=YES\nanonymous_enable=YES\nlocal_enable=NO\n"
                             "anon_root="
                           + root.string()
                           + "\nno_anon_password=YES\nwrite_enable=NO\n"
                             "seccomp_sandbox=NO\nxferlog_enable=NO\n";
        if (tls)
            conf += "ssl_enable=YES\nallow_anon_ssl=YES\nforce_anon_data_ssl=NO\nforce_anon_logins_ssl=NO\n"
                    "require_ssl_reuse=NO\nrsa_cert_file="
                    + (dir / "cert.pem").string() + "\nrsa_private_key_file=" + (dir / "key.pem").string() + "\n";
        testsupport::writeFile(dir / "vsftpd.conf", conf);
        pid_ = ::fork();
        if (pid_ == 0) {
            const std::string c = (dir / "vsftpd.conf").string();
            ::execl(kVsftpd, kVsftpd, c.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        for (int i = 0; i < 100 && !accepts(port_); ++i)
            ::usleep(50 * 1000);
        if (!accepts(port_)) {
            stop();
            throw std::runtime_error("vsftpd did not start on 127.0.0.1:" + std::to_string(port_));
        }
    }
    ~Vsftpd() { stop(); }
    Vsftpd(const Vsftpd&) = delete;
    Vsftpd& operator=(const Vsftpd&) = delete;
    int port() const { return port_; }

private:
    void stop()
    {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
            pid_ = -1;
        }
    }
    pid_t pid_ = -1;
    int port_ = 0;
};

class TlsDownload : public Download {
protected:
    testsupport::TempDir keys;

    void SetUp() override
    {
        Download::SetUp();
        if (!fs::exists(kVsftpd))
            GTEST_SKIP() << kVsftpd << " is not installed (scripts/deps installs it)";
        // A self-signed certificate for the address the program connects to.
        const std::string cmd = "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=127.0.0.1"
                                " -addext subjectAltName=IP:127.0.0.1 -keyout '"
                                + (keys / "key.pem").string() + "' -out '" + (keys / "cert.pem").string()
                                + "' >/dev/null 2>&1";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << "openssl could not make the test certificate";
    }

    void configureTls(int port, const std::string& more)
    {
        testsupport::writeFile(home / "WebServer.ini",
                               "[WebServer]\nGroup=acme\nHost=127.0.0.1\nPort=" + std::to_string(port)
                                   + "\nUser=anonymous\nPassword=guest1234\n"
                                     "SiteFolder=acme-site\n"
                                   + more);
    }
};

struct TlsCase {
    const char* what;
    bool serverTls;
    std::string settings; ///< lines added to WebServer.ini; CAFILE stands for the certificate
    int code;
    std::vector<std::string> says; ///< parts of the output
    friend std::ostream& operator<<(std::ostream& os, const TlsCase& c) { return os << c.what; }
};

class TlsDownloadCase : public TlsDownload, public testing::WithParamInterface<TlsCase> {};

TEST_P(TlsDownloadCase, FollowsTheTlsSettings)
{
    const TlsCase& c = GetParam();
    fs::copy_file(keys / "cert.pem", home / "site-cert.pem");
    const Vsftpd server(keys.path(), site.path(), c.serverTls);
    configureTls(server.port(), c.settings);
    const auto r = cli("2024-04-10");
    EXPECT_EQ(r.code, c.code) << r.out;
    for (const std::string& part : c.says)
        EXPECT_NE(r.out.find(part), std::string::npos) << "'" << part << "' in:\n" << r.out;
    if (c.code == 0)
        EXPECT_EQ(testsupport::readFile(home / "acme_2024410_1.dat"), remote);
    else
        EXPECT_TRUE(datFiles().empty());
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Settings, TlsDownloadCase,
    testing::Values(
        TlsCase{"self-signed refused under try", true, "", 1,
                {"error: Download failed: the server's TLS certificate could not be verified on 127.0.0.1:",
                 "CAFile= in WebServer.ini", "TLS=off"}},
        TlsCase{"self-signed trusted with CAFile", true, "CAFile=site-cert.pem\n", 0, {"message: Download complete!"}},
        TlsCase{"required and trusted", true, "TLS=require\nCAFile=site-cert.pem\n", 0, {"message: Download complete!"}},
        TlsCase{"plain with TLS off", true, "TLS=off\n", 0, {"message: Download complete!"}},
        TlsCase{"required from a server without TLS", false, "TLS=require\n", 1,
                {"error: Download failed: the server 127.0.0.1:", "offers no TLS", "(TLS=require)"}}));
// clang-format on

} // namespace
