#include "intake/download.h"

#include <cctype>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <optional>

#include <curl/curl.h>

#include "core/error.h"
#include "core/inifile.h"
#include "core/numparse.h"

namespace intake {

namespace {

void initCurlOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

std::string escapePath(CURL* curl, const std::string& part)
{
    char* e = curl_easy_escape(curl, part.c_str(), static_cast<int>(part.size()));
    std::string out = e != nullptr ? e : part;
    curl_free(e);
    return out;
}

using Clock = std::chrono::steady_clock;

struct Transfer {
    CURL* curl = nullptr;
    std::FILE* out = nullptr;
    std::uintmax_t received = 0;
    const std::atomic<bool>* cancel = nullptr;
    std::chrono::seconds timeout{60};
    /// When the file last moved: the server's "opening data connection" reply, or data.
    std::optional<Clock::time_point> lastData;
    bool stalled = false;
};

size_t writeToFile(char* data, size_t size, size_t count, void* user)
{
    auto* t = static_cast<Transfer*>(user);
    t->received += size * count;
    t->lastData = Clock::now();
    const size_t written = std::fwrite(data, size, count, t->out) * size;
    // What arrived is on disk even when the program is killed next (under the partial name).
    std::fflush(t->out);
    return written;
}

/// Called by the FTP client about once a second: ends the transfer when it is cancelled, or
/// when the file has started and no data came for the timeout. (Before the file starts, the
/// client's own limits on connecting and on each reply apply.)
int checkProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    auto* t = static_cast<Transfer*>(user);
    if (t->cancel != nullptr && t->cancel->load())
        return 1;
    if (!t->lastData) {
        long reply = 0;
        curl_easy_getinfo(t->curl, CURLINFO_RESPONSE_CODE, &reply);
        if (reply == 125 || reply == 150)
            t->lastData = Clock::now();
        return 0;
    }
    if (Clock::now() - *t->lastData >= t->timeout) {
        t->stalled = true;
        return 1;
    }
    return 0;
}

std::string reasonOf(CURLcode code, const WebServerConfig& c, const Transfer& t, long connected, const char* detail)
{
    const std::string where = c.host + ":" + std::to_string(c.port);
    const std::string folder = "public_html/" + c.siteFolder + "/files";
    const std::string seconds = std::to_string(c.timeoutSeconds) + (c.timeoutSeconds == 1 ? " second" : " seconds");
    const std::string stalled = "the server sent nothing for " + seconds
                                + (t.received > 0 ? " in the middle of the file" : "")
                                + "; the download was given up (Timeout in WebServer.ini sets how long to wait)";
    std::string text;
    switch (code) {
    case CURLE_OPERATION_TIMEDOUT:
        if (connected == 0) {
            text = "cannot connect to " + where + " (no answer within " + seconds + ")";
        } else {
            text = stalled;
            detail = nullptr;
        }
        break;
    case CURLE_ABORTED_BY_CALLBACK:
        text = t.stalled ? stalled : "cancelled";
        detail = nullptr;
        break;
    case CURLE_PEER_FAILED_VERIFICATION:
#if LIBCURL_VERSION_NUM < 0x073e00
    case CURLE_SSL_CACERT:
#endif
    case CURLE_SSL_CACERT_BADFILE:
        text = "the server's TLS certificate could not be verified on " + where
               + "; to trust the server's own certificate, name it in CAFile= in WebServer.ini, or set TLS=off "
                 "there to download without TLS";
        break;
    case CURLE_USE_SSL_FAILED:
        text = "the server " + where + " offers no TLS, and WebServer.ini asks for it (TLS=require)";
        detail = nullptr;
        break;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT: text = "cannot connect to " + where; break;
    case CURLE_LOGIN_DENIED: text = "log-in refused for user " + c.user + " on " + where; break;
    case CURLE_REMOTE_ACCESS_DENIED: text = "folder " + folder + " missing or not accessible on " + where; break;
    case CURLE_REMOTE_FILE_NOT_FOUND: text = "file " + c.group + ".txt missing in " + folder + " on " + where; break;
    case CURLE_PARTIAL_FILE:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_FTP_COULDNT_RETR_FILE: text = "transfer broken"; break;
    case CURLE_WRITE_ERROR: text = "the local file could not be written"; break;
    default: text = curl_easy_strerror(code); break;
    }
    if (detail != nullptr && *detail != '\0')
        text += std::string(" (") + detail + ")";
    return text;
}

} // namespace

WebServerConfig readWebServerConfig(const std::filesystem::path& file)
{
    std::error_code ec;
    if (!std::filesystem::exists(file, ec))
        throw core::Error("The file " + file.string()
                          + " is missing: it names the web server account (section "
                            "[WebServer] with Group, Host, User, Password and SiteFolder); nothing was downloaded.");
    const core::IniFile ini(file);
    auto need = [&](const char* key) {
        std::string v = ini.readString("WebServer", key, "");
        if (v.empty())
            throw core::Error("The value " + std::string(key) + " is missing in " + file.string()
                              + " (section [WebServer]); nothing was downloaded.");
        return v;
    };
    WebServerConfig c;
    c.group = need("Group");
    c.host = need("Host");
    // The host alone: a scheme, a folder or a port in it would otherwise end up in the address
    // and connect somewhere else than meant.
    if (c.host.find_first_of(":/\\@?# \t") != std::string::npos)
        throw core::Error("The value Host in " + file.string()
                          + " must be the server's name or address alone (such "
                            "as ftp.example.com), without ftp://, a folder or a port (Port= sets the port): '"
                          + c.host + "'");
    const std::string port = ini.readString("WebServer", "Port", "21");
    std::int32_t p = 0;
    if (!core::tryParseInt(port, p) || p <= 0 || p > 65535)
        throw core::Error("The value Port in " + file.string() + " is not a port number: '" + port + "'");
    c.port = p;
    c.user = need("User");
    c.password = need("Password");
    c.siteFolder = need("SiteFolder");
    const std::string timeout = ini.readString("WebServer", "Timeout", "60");
    std::int32_t t = 0;
    if (!core::tryParseInt(timeout, t) || t <= 0)
        throw core::Error("The value Timeout in " + file.string() + " is not a number of seconds above 0: '" + timeout
                          + "'");
    c.timeoutSeconds = t;
    std::string tls = ini.readString("WebServer", "TLS", "try");
    for (char& ch : tls)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    if (tls == "try")
        c.tls = WebServerConfig::Tls::Try;
    else if (tls == "require")
        c.tls = WebServerConfig::Tls::Require;
    else if (tls == "off")
        c.tls = WebServerConfig::Tls::Off;
    else
        throw core::Error("The value TLS in " + file.string() + " must be try, require or off, not '"
                          + ini.readString("WebServer", "TLS", "") + "'");
    const std::string ca = ini.readString("WebServer", "CAFile", "");
    if (!ca.empty()) {
        c.caFile = std::filesystem::path(ca).is_relative() ? file.parent_path() / ca : std::filesystem::path(ca);
        if (!std::filesystem::is_regular_file(c.caFile, ec))
            throw core::Error("The file named by CAFile in " + file.string() + " is missing: " + c.caFile.string());
    }
    return c;
}

std::filesystem::path partialName(const std::filesystem::path& local)
{
    std::filesystem::path p = local;
    p += ".part";
    return p;
}

std::string downloadFileName(const std::string& group, core::DateTime today, int counter)
{
    const core::Ymd d = core::decodeDate(today);
    return group + "_" + std::to_string(d.year) + std::to_string(d.month) + std::to_string(d.day) + "_"
           + std::to_string(counter) + ".dat";
}

DownloadResult downloadClockData(const WebServerConfig& c, const std::filesystem::path& local,
                                 const std::atomic<bool>* cancel)
{
    initCurlOnce();
    DownloadResult result;
    const std::filesystem::path part = partialName(local);
    std::error_code ec;
    Transfer transfer;
    transfer.cancel = cancel;
    transfer.out = std::fopen(part.c_str(), "wb");
    if (transfer.out == nullptr) {
        result.reason = "cannot create the local file " + part.string();
        return result;
    }
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        std::fclose(transfer.out);
        std::filesystem::remove(part, ec);
        result.reason = "the FTP client could not start";
        return result;
    }
    char error[CURL_ERROR_SIZE] = {};
    const std::string url = "ftp://" + c.host + ":" + std::to_string(c.port) + "/public_html/"
                            + escapePath(curl, c.siteFolder) + "/files/" + escapePath(curl, c.group + ".txt");
    const long timeout = c.timeoutSeconds;
    const long useSsl = c.tls == WebServerConfig::Tls::Off       ? static_cast<long>(CURLUSESSL_NONE)
                        : c.tls == WebServerConfig::Tls::Require ? static_cast<long>(CURLUSESSL_ALL)
                                                                 : static_cast<long>(CURLUSESSL_TRY);
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_USERNAME, c.user.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, c.password.c_str());
    curl_easy_setopt(curl, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_MULTICWD));
    curl_easy_setopt(curl, CURLOPT_USE_SSL, useSsl);
    const std::string caFile = c.caFile.string();
    if (!caFile.empty())
        curl_easy_setopt(curl, CURLOPT_CAINFO, caFile.c_str());
    curl_easy_setopt(curl, CURLOPT_FTP_SKIP_PASV_IP, 1L);
    curl_easy_setopt(curl, CURLOPT_IPRESOLVE, static_cast<long>(CURL_IPRESOLVE_V4));
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_easy_setopt(curl, CURLOPT_TCP_KEEPALIVE, 0L);
    curl_easy_setopt(curl, CURLOPT_TRANSFERTEXT, 0L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    // A server that stops answering, before or during the file, ends the download after
    // `timeout` seconds: the connection, every reply, and the flow of the file's data
    // (checkProgress).
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, timeout);
    curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, timeout);
    transfer.curl = curl;
    transfer.timeout = std::chrono::seconds(timeout);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, writeToFile);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, checkProgress);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &transfer);
    const CURLcode code = curl_easy_perform(curl);
    long connected = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &connected);
    curl_easy_cleanup(curl);
    const bool closed = std::fclose(transfer.out) == 0;
    if (code == CURLE_OK && closed) {
        std::filesystem::rename(part, local, ec);
        if (!ec) {
            result.ok = true;
            return result;
        }
        std::filesystem::remove(part, ec);
        result.reason = "the local file " + local.string() + " could not be made: " + ec.message();
        return result;
    }
    std::filesystem::remove(part, ec);
    result.cancelled = code == CURLE_ABORTED_BY_CALLBACK && !transfer.stalled;
    result.reason =
        code != CURLE_OK ? reasonOf(code, c, transfer, connected, error) : "the local file could not be written";
    return result;
}

} // namespace intake
