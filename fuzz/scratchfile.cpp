#include "scratchfile.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>

namespace fuzzing {

namespace {

[[noreturn]] void giveUp(const char* what, const std::string& file, int err)
{
    // Not a finding of the code under test: the machine cannot give the fuzzer its file.
    std::fprintf(stderr, "fuzzing: %s %s: %s\n", what, file.c_str(), std::strerror(err));
    std::_Exit(2);
}

class Scratch {
public:
    Scratch()
    {
        std::string name = (std::filesystem::temp_directory_path() / "tallix-fuzz-XXXXXX").string();
        const int fd = ::mkstemp(name.data());
        if (fd < 0)
            giveUp("cannot create", name, errno);
        ::close(fd);
        path_ = name;
    }
    ~Scratch()
    {
        std::error_code ignored;
        std::filesystem::remove(path_, ignored);
        std::filesystem::path tmp = path_;
        tmp += ".tmp";
        std::filesystem::remove(tmp, ignored);
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace

const std::filesystem::path& writeScratchFile(const std::uint8_t* data, std::size_t size)
{
    static const Scratch scratch;
    const std::filesystem::path& path = scratch.path();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr)
        giveUp("cannot open", path.string(), errno);
    if (size > 0 && std::fwrite(data, 1, size, f) != size)
        giveUp("cannot write", path.string(), errno);
    if (std::fclose(f) != 0)
        giveUp("cannot write", path.string(), errno);
    return path;
}

} // namespace fuzzing
