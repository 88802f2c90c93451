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

namespace {

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace

std::string textAsRead(std::string_view bytes)
{
    const std::string_view mark = bytes.substr(0, 2);
    if ((mark == "\xFF\xFE" || mark == "\xFE\xFF") && bytes.size() % 2 == 0) {
        const bool le = mark == "\xFF\xFE";
        const auto unit = [&](std::size_t i) {
            return static_cast<char32_t>(static_cast<unsigned char>(bytes[le ? i : i + 1])
                                         | (static_cast<unsigned char>(bytes[le ? i + 1 : i]) << 8));
        };
        std::string text;
        bool utf16 = true;
        for (std::size_t i = 2; i + 1 < bytes.size() && utf16; i += 2) {
            const char32_t u = unit(i);
            if (u >= 0xD800 && u <= 0xDBFF) {
                const char32_t v = i + 3 < bytes.size() ? unit(i + 2) : 0;
                utf16 = v >= 0xDC00 && v <= 0xDFFF;
                if (utf16)
                    appendUtf8(text, 0x10000 + ((u - 0xD800) << 10) + (v - 0xDC00));
                i += 2;
            } else if (u >= 0xDC00 && u <= 0xDFFF) {
                utf16 = false;
            } else {
                appendUtf8(text, u);
            }
        }
        if (utf16)
            return text;
    }
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    return std::string(bytes);
}

std::vector<std::string_view> linesOf(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        text = lf == std::string_view::npos ? std::string_view() : text.substr(lf + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.push_back(line);
    }
    return lines;
}

} // namespace fuzzing
