#pragma once

#include <atomic>
#include <filesystem>
#include <string>

#include "core/datetime.h"

namespace intake {

/// The web server account of the deployment, from WebServer.ini in the program's folder,
/// section [WebServer]: Group, Host, Port (default 21), User, Password, SiteFolder, and
/// optionally Timeout, TLS and CAFile.
struct WebServerConfig {
    std::string group;
    std::string host;
    int port = 21;
    std::string user;
    std::string password;
    std::string siteFolder;
    /// Seconds without any data (connecting, a reply, or the file itself) after which the
    /// download is given up.
    int timeoutSeconds = 60;
    /// Try: TLS when the server offers it, its certificate verified; Require: no download
    /// without TLS; Off: plain FTP even when TLS is offered.
    enum class Tls { Try, Require, Off } tls = Tls::Try;
    /// A certificate (PEM) to trust besides the system's, such as a site's self-signed one;
    /// relative to the folder of WebServer.ini. Empty: the system's certificates only.
    std::filesystem::path caFile;
};

/// Reads the file; throws core::Error naming the file and the first value that is missing
/// or wrong, or saying that the file itself is missing.
WebServerConfig readWebServerConfig(const std::filesystem::path& file);

/// group + "_" + year + month + day (no leading zeros) + "_" + counter + ".dat".
std::string downloadFileName(const std::string& group, core::DateTime today, int counter);

struct DownloadResult {
    bool ok = false;
    bool cancelled = false; ///< ended by the cancel flag
    std::string reason;     ///< why it failed, in the user's words; never holds the password
};

/// The name a download is written under until it is complete: `local` + ".part".
std::filesystem::path partialName(const std::filesystem::path& local);

/// Fetches public_html/SITE/files/GROUP.txt by FTP (one folder level per change, passive with
/// the data connection to the control connection's host, IPv4, image type, no proxy, TLS as
/// the config says) into `local`. The file is written under partialName(local) and renamed
/// to `local` only when the transfer is complete, so a dated file is always whole. A failed
/// download removes what it wrote. Setting `cancel` (from any thread) ends the transfer.
DownloadResult downloadClockData(const WebServerConfig& config, const std::filesystem::path& local,
                                 const std::atomic<bool>* cancel = nullptr);

} // namespace intake
