#pragma once

// The program as the app tests start it.

#include <filesystem>
#include <memory>

#include "app/demo.h"
#include "app/program.h"
#include "core/datetime.h"
#include "support/testsupport.h"

namespace testsupport {

/// A test's program options: its folder, a pinned date and English (United States) regional
/// settings, whatever the machine says.
inline app::ProgramOptions programOptions(const std::filesystem::path& home, core::DateTime today)
{
    app::ProgramOptions o;
    o.home = home;
    o.today = today;
    o.regional = usRegional();
    return o;
}

/// A program started in `home`: created and, unless `show` is false (a window is made first),
/// shown.
inline std::unique_ptr<app::Program> startedProgram(const std::filesystem::path& home, core::DateTime today,
                                                    bool show = true)
{
    auto p = std::make_unique<app::Program>(programOptions(home, today));
    p->FormCreate();
    if (show)
        p->FormShow();
    return p;
}

/// A program started on a fresh demo site (employees, shifts, the period of March 2026 and
/// its clock files) in `home`, on 1 April 2026.
inline std::unique_ptr<app::Program> startedDemo(const std::filesystem::path& home)
{
    auto p = startedProgram(home, core::encodeDate(2026, 4, 1));
    app::prepareDemo(*p, app::examplesFolder());
    return p;
}

} // namespace testsupport
