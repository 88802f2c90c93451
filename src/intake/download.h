#pragma once

#include <filesystem>
#include <string>

#include "core/datetime.h"

namespace intake {

/// The web server account of the deployment, from WebServer.ini in the program's folder,
/// section [WebServer]: Group, Host, Port (default 21), User, Password, SiteFolder.
struct WebServerConfig {
    std::string group;
    std::string host;
    int port = 21;
    std::string user;
    std::string password;
    std::string siteFolder;
};

/// Reads the file; throws core::Error naming the file and the first value that is missing.
WebServerConfig readWebServerConfig(const std::filesystem::path& file);

/// group + "_" + year + month + day (no leading zeros) + "_" + counter + ".dat".
std::string downloadFileName(const std::string& group, core::DateTime today, int counter);

struct DownloadResult {
    bool ok = false;
    std::string reason; ///< why it failed, in the user's words; never holds the password
};

/// Fetches public_html/SITE/files/GROUP.txt by FTP (one folder level per change, passive with
/// the data connection to the control connection's host, IPv4, image type, no proxy, TLS when
/// the server offers it) into `local`. A failed download removes its local file.
DownloadResult downloadClockData(const WebServerConfig& config, const std::filesystem::path& local);

} // namespace intake
