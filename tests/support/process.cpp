#include "support/process.h"

#include <array>
#include <stdexcept>

#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace testsupport {

namespace {

pid_t spawn(const std::string& program, const std::vector<std::string>& args, int& readEnd, int stream = STDOUT_FILENO,
            int uid = -1, int gid = -1)
{
    int fds[2];
    if (::pipe(fds) != 0)
        throw std::runtime_error("pipe failed");
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (gid >= 0 && ::setgid(static_cast<gid_t>(gid)) != 0)
            ::_exit(126);
        if (uid >= 0 && ::setuid(static_cast<uid_t>(uid)) != 0)
            ::_exit(126);
        ::dup2(fds[1], stream);
        ::close(fds[0]);
        ::close(fds[1]);
        std::vector<std::string> copy = args;
        std::vector<char*> argv;
        std::string exe = program;
        argv.push_back(exe.data());
        for (auto& a : copy)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(exe.c_str(), argv.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    readEnd = fds[0];
    return pid;
}

/// Reads the process's output to its end and waits for it.
ProcessResult finish(pid_t pid, int fd)
{
    ProcessResult r;
    std::array<char, 4096> buf{};
    ssize_t n = 0;
    while ((n = ::read(fd, buf.data(), buf.size())) > 0)
        r.out.append(buf.data(), static_cast<std::size_t>(n));
    ::close(fd);
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

} // namespace

ProcessResult runProcessAs(unsigned uid, unsigned gid, const std::string& program, const std::vector<std::string>& args)
{
    int fd = -1;
    const pid_t pid = spawn(program, args, fd, STDOUT_FILENO, static_cast<int>(uid), static_cast<int>(gid));
    return finish(pid, fd);
}

bool killAfterMarker(const std::string& program, const std::vector<std::string>& args, const std::string& marker,
                     int delayMs)
{
    int fd = -1;
    const pid_t pid = spawn(program, args, fd, STDERR_FILENO);
    std::string seen;
    char c = 0;
    bool found = false;
    while (!found && ::read(fd, &c, 1) == 1) {
        seen += c;
        found = seen.find(marker) != std::string::npos;
    }
    bool killed = false;
    if (found) {
        ::usleep(static_cast<useconds_t>(delayMs) * 1000);
        killed = ::kill(pid, SIGKILL) == 0;
    }
    ::close(fd);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return killed && WIFSIGNALED(status);
}

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args)
{
    int fd = -1;
    const pid_t pid = spawn(program, args, fd);
    return finish(pid, fd);
}

namespace {

/// Starts one of the test servers of this folder with Debian's interpreter (which has
/// pyftpdlib; a python3 earlier on the PATH may not) and reads the port it prints first.
int startServer(const std::vector<std::string>& args, int& pid, const std::string& failure)
{
    int fd = -1;
    pid = spawn("/usr/bin/python3", args, fd);
    std::string line;
    char c = 0;
    while (::read(fd, &c, 1) == 1 && c != '\n')
        line += c;
    ::close(fd);
    try {
        return std::stoi(line);
    } catch (...) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        pid = -1;
        throw std::runtime_error(failure);
    }
}

} // namespace

FtpServer::FtpServer(const std::string& root, const std::string& user, const std::string& password,
                     const std::string& advertise)
{
    std::vector<std::string> args{TALLIX_TEST_SUPPORT_DIR "/ftpserver.py", root, user, password};
    if (!advertise.empty())
        args.push_back(advertise);
    port_ = startServer(args, pid_, "the test FTP server did not start (is python3-pyftpdlib installed?)");
}

StallingFtpServer::StallingFtpServer(const std::string& file, int bytes)
{
    port_ = startServer({TALLIX_TEST_SUPPORT_DIR "/stallftp.py", file, std::to_string(bytes)}, pid_,
                        "the stalling FTP server did not start");
}

StallingFtpServer::~StallingFtpServer()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
}

FtpServer::~FtpServer()
{
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
}

int unusedPort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    const int port = ntohs(a.sin_port);
    ::close(s);
    return port;
}

} // namespace testsupport
