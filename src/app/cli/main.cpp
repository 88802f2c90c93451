// tallix-cli: runs start-up, the named commands in order, and shut-down, without a window.

#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "app/program.h"
#include "core/datetime.h"
#include "core/error.h"

namespace {

constexpr const char* kUsage =
    "usage: tallix-cli [--home DIR] [--today YYYY-MM-DD] [--answer yes|no]... [--yes]\n"
    "                  [--open FILE]... [--save FILE]... [--set NAME=VALUE]...\n"
    "                  [--employee NO] [--period-day YYYY-MM-DD] [--clocking INC] [--posted-period NO]\n"
    "                  [HANDLER]...\n";

int usage(const std::string& problem)
{
    std::cerr << "tallix-cli: " << problem << "\n" << kUsage;
    return 2;
}

struct Options {
    app::ProgramOptions program;
    std::vector<std::pair<std::string, std::string>> sets;
    std::vector<std::string> handlers;
};

} // namespace

int main(int argc, char** argv)
{
    Options opt;
    std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size())
                return false;
            out = args[++i];
            return true;
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (a == "--home") {
            if (!value(v))
                return usage("--home needs a folder");
            opt.program.home = v;
        } else if (a == "--today") {
            if (!value(v))
                return usage("--today needs a date");
            const auto d = core::parseIsoDate(v);
            if (!d)
                return usage("'" + v + "' is not a date of the form YYYY-MM-DD");
            opt.program.today = *d;
        } else if (a == "--set") {
            if (!value(v))
                return usage("--set needs NAME=VALUE");
            const auto eq = v.find('=');
            if (eq == std::string::npos || eq == 0)
                return usage("--set needs NAME=VALUE, not '" + v + "'");
            opt.sets.emplace_back(v.substr(0, eq), v.substr(eq + 1));
        } else if (!a.empty() && a[0] == '-') {
            return usage("unknown option " + a);
        } else {
            opt.handlers.push_back(a);
        }
    }
    for (const auto& h : opt.handlers)
        return usage("unknown handler " + h);

    app::Program program(opt.program);
    int rc = 0;
    try {
        program.FormCreate();
        for (const auto& [name, val] : opt.sets)
            if (!program.setup.setByKey(name, val))
                throw core::Error("unknown field " + name);
        program.FormShow();
    } catch (const std::exception& e) {
        std::cout << "error: " << e.what() << std::endl;
        rc = 1;
    }
    try {
        program.FormClose();
    } catch (const std::exception& e) {
        std::cout << "error: " << e.what() << std::endl;
        rc = 1;
    }
    return rc;
}
