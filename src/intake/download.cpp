#include "intake/download.h"

#include <cstdio>
#include <mutex>

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

size_t writeToFile(char* data, size_t size, size_t count, void* file)
{
    return std::fwrite(data, size, count, static_cast<std::FILE*>(file)) * size;
}

std::string reasonOf(CURLcode code, const WebServerConfig& c, const char* detail)
{
    const std::string where = c.host + ":" + std::to_string(c.port);
    const std::string folder = "public_html/" + c.siteFolder + "/files";
    std::string text;
    switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_OPERATION_TIMEDOUT: text = "cannot connect to " + where; break;
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
    const std::string port = ini.readString("WebServer", "Port", "21");
    std::int32_t p = 0;
    if (!core::tryParseInt(port, p) || p <= 0 || p > 65535)
        throw core::Error("The value Port in " + file.string() + " is not a port number: '" + port + "'");
    c.port = p;
    c.user = need("User");
    c.password = need("Password");
    c.siteFolder = need("SiteFolder");
    return c;
}

std::string downloadFileName(const std::string& group, core::DateTime today, int counter)
{
    const core::Ymd d = core::decodeDate(today);
    return group + "_" + std::to_string(d.year) + std::to_string(d.month) + std::to_string(d.day) + "_"
         + std::to_string(counter) + ".dat";
}

DownloadResult downloadClockData(const WebServerConfig& c, const std::filesystem::path& local)
{
    initCurlOnce();
    DownloadResult result;
    std::FILE* out = std::fopen(local.c_str(), "wb");
    if (out == nullptr) {
        result.reason = "cannot create the local file " + local.string();
        return result;
    }
    CURL* curl = curl_easy_init();
    if (curl == nullptr) {
        std::fclose(out);
        std::filesystem::remove(local);
        result.reason = "the FTP client could not start";
        return result;
    }
    char error[CURL_ERROR_SIZE] = {};
    const std::string url = "ftp://" + c.host + ":" + std::to_string(c.port) + "/public_html/"
                          + escapePath(curl, c.siteFolder) + "/files/" + escapePath(curl, c.group + ".txt");
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_USERNAME, c.user.c_str());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, c.password.c_str());
    curl_easy_setopt(curl, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_MULTICWD));
    curl_easy_setopt(curl, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_TRY));
    curl_easy_setopt(curl, CURLOPT_FTP_SKIP_PASV_IP, 1L);
    curl_easy_setopt(curl, CURLOPT_IPRESOLVE, static_cast<long>(CURL_IPRESOLVE_V4));
    curl_easy_setopt(curl, CURLOPT_PROXY, "");
    curl_easy_setopt(curl, CURLOPT_TCP_KEEPALIVE, 0L);
    curl_easy_setopt(curl, CURLOPT_TRANSFERTEXT, 0L);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 60L);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, writeToFile);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, out);
    const CURLcode code = curl_easy_perform(curl);
    curl_easy_cleanup(curl);
    const bool closed = std::fclose(out) == 0;
    if (code == CURLE_OK && closed) {
        result.ok = true;
        return result;
    }
    std::error_code ec;
    std::filesystem::remove(local, ec);
    result.reason = code != CURLE_OK ? reasonOf(code, c, error) : "the local file could not be written";
    return result;
}

} // namespace intake
