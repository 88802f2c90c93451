// WebServer.ini as the deployment writes it.

#include "intake/download.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>

#include "core/error.h"
#include "support/testsupport.h"

namespace {

namespace fs = std::filesystem;

const fs::path kReadme = fs::path(__FILE__).parent_path().parent_path().parent_path() / "README.md";

/// The example block of the README that starts with [WebServer], as a user would copy it.
std::string readmeExample()
{
    const std::string text = testsupport::readFile(kReadme);
    const auto begin = text.find("```\n[WebServer]\n");
    if (begin == std::string::npos)
        return {};
    const auto from = begin + 4;
    return text.substr(from, text.find("```", from) - from);
}

TEST(WebServerConfig, ReadmeExampleWorksAsItStands)
{
    const std::string example = readmeExample();
    ASSERT_FALSE(example.empty()) << "no [WebServer] example in " << kReadme;
    testsupport::TempDir dir;
    testsupport::writeFile(dir / "WebServer.ini", example);
    const intake::WebServerConfig c = intake::readWebServerConfig(dir / "WebServer.ini");
    EXPECT_EQ(c.group, "acme");
    EXPECT_EQ(c.host, "ftp.example.com");
    EXPECT_EQ(c.port, 21);
    EXPECT_EQ(c.siteFolder, "acme-site");
}

const std::string kAccount = "[WebServer]\nGroup=acme\nHost=ftp.example.com\nUser=u\nPassword=p\nSiteFolder=s\n";

TEST(WebServerConfig, OptionalValuesAndTheirDefaults)
{
    testsupport::TempDir dir;
    testsupport::writeFile(dir / "WebServer.ini", kAccount);
    intake::WebServerConfig c = intake::readWebServerConfig(dir / "WebServer.ini");
    EXPECT_EQ(c.timeoutSeconds, 60);
    EXPECT_EQ(c.tls, intake::WebServerConfig::Tls::Try);
    EXPECT_TRUE(c.caFile.empty());

    testsupport::writeFile(dir / "site.pem", "");
    testsupport::writeFile(dir / "WebServer.ini", kAccount + "Timeout=5\nTLS=Require\nCAFile=site.pem\n");
    c = intake::readWebServerConfig(dir / "WebServer.ini");
    EXPECT_EQ(c.timeoutSeconds, 5);
    EXPECT_EQ(c.tls, intake::WebServerConfig::Tls::Require);
    EXPECT_EQ(c.caFile, dir / "site.pem"); // relative to the folder of WebServer.ini
}

struct BadValueCase {
    const char* lines;
    const char* says;
    friend std::ostream& operator<<(std::ostream& os, const BadValueCase& c) { return os << c.lines; }
};

class WebServerBadValue : public testing::TestWithParam<BadValueCase> {};

TEST_P(WebServerBadValue, IsAnErrorNamingIt)
{
    testsupport::TempDir dir;
    testsupport::writeFile(dir / "WebServer.ini", kAccount + GetParam().lines);
    try {
        intake::readWebServerConfig(dir / "WebServer.ini");
        FAIL() << "no error";
    } catch (const core::Error& e) {
        EXPECT_NE(std::string(e.what()).find(GetParam().says), std::string::npos) << e.what();
    }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Values, WebServerBadValue,
    testing::Values(BadValueCase{"TLS=maybe\n", "TLS in"}, BadValueCase{"TLS=maybe\n", "try, require or off, not 'maybe'"},
                    BadValueCase{"Timeout=0\n", "Timeout in"}, BadValueCase{"Timeout=1m\n", "'1m'"},
                    BadValueCase{"CAFile=nowhere.pem\n", "nowhere.pem"}));
// clang-format on

} // namespace
