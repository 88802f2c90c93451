#pragma once

#include <string>
#include <vector>

namespace testsupport {

struct ProcessResult {
    int code = -1;   ///< exit code, -1 when the process did not exit normally
    std::string out; ///< what it wrote to standard output
};

/// Runs a program with arguments and waits for it; standard error is left alone.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args);

/// Runs a program and kills it with SIGKILL `delayMs` after its standard error first shows
/// `marker` (or when it ends on its own). Returns true when it was killed.
bool killAfterMarker(const std::string& program, const std::vector<std::string>& args, const std::string& marker,
                     int delayMs);

/// Runs a program as another user (uid and gid), for tests of files a user may not write;
/// only possible when the test runs as root.
ProcessResult runProcessAs(unsigned uid, unsigned gid, const std::string& program,
                           const std::vector<std::string>& args);

/// A real FTP server (Debian's pyftpdlib) on 127.0.0.1 and a free port, serving `root` to
/// one user, for as long as the object lives. With `advertise`, passive replies name that
/// address instead of the real one and EPSV is refused, so that the client must use PASV.
class FtpServer {
public:
    FtpServer(const std::string& root, const std::string& user, const std::string& password,
              const std::string& advertise = {});
    ~FtpServer();
    FtpServer(const FtpServer&) = delete;
    FtpServer& operator=(const FtpServer&) = delete;
    int port() const { return port_; }

private:
    int pid_ = -1;
    int port_ = 0;
};

/// An FTP server on 127.0.0.1 (stallftp.py) that accepts any log-in, sends the first `bytes`
/// bytes of `file` for any download and then nothing more, for as long as the object lives.
class StallingFtpServer {
public:
    StallingFtpServer(const std::string& file, int bytes);
    ~StallingFtpServer();
    StallingFtpServer(const StallingFtpServer&) = delete;
    StallingFtpServer& operator=(const StallingFtpServer&) = delete;
    int port() const { return port_; }

private:
    int pid_ = -1;
    int port_ = 0;
};

/// A port on 127.0.0.1 on which nothing listens (bound, then released).
int unusedPort();

} // namespace testsupport
