#include "app/cli/runner.h"

#include <algorithm>
#include <memory>
#include <optional>

#include <QGuiApplication>
#include <utility>

#include "app/cli/cliservices.h"
#include "app/commands.h"
#include "app/demo.h"
#include "app/program.h"
#include "core/datetime.h"
#include "core/error.h"
#include "core/numparse.h"
#include "register/typedtimes.h"
#include "store/tables.h"

namespace app {

namespace {

constexpr const char* kUsage =
    "usage: tallix-cli [--home DIR] [--today YYYY-MM-DD] [--answer yes|no]... [--yes]\n"
    "                  [--open FILE]... [--save FILE]... [--set NAME=VALUE]...\n"
    "                  [--employee NO] [--period-day YYYY-MM-DD] [--clocking INC] [--posted-period NO]\n"
    "                  [--type NO,YYYY-MM-DD,COLUMN=HH:MM:SS]... [HANDLER]...\n"
    "       tallix-cli --demo [--home DIR]   prepare a home with the demo site\n"
    "       tallix-cli --version\n"
    "Runs start-up, the named commands (by handler name, e.g. ProcessClockData1Click) in order,\n"
    "and shut-down. Exit codes: 0 done, 1 error, 2 usage, 3 a question had no answer left.\n";

struct UsageError {
    std::string problem;
};

struct Positions {
    std::optional<std::int64_t> employee;
    std::optional<core::DateTime> periodDay;
    std::optional<std::int64_t> clocking;
    std::optional<std::int64_t> postedPeriod;
};

/// A register time to type: employee, day, column In1..Out5, the time (empty: clear).
struct Typing {
    std::string text; ///< as given, for the messages
    std::string employee;
    std::string day;
    std::string column;
    std::string time;
};

struct Options {
    ProgramOptions program;
    std::vector<Typing> typings;
    std::vector<std::pair<std::string, std::string>> sets;
    std::vector<const Command*> commands;
    Positions positions;
    bool yes = false;
    bool demo = false;
    std::deque<bool> answers;
    std::deque<std::filesystem::path> opens;
    std::deque<std::filesystem::path> saves;
};

std::int64_t numberOption(const std::string& option, const std::string& text)
{
    std::int32_t n = 0;
    if (!core::tryParseInt(text, n))
        throw UsageError{option + " needs a whole number up to 2147483647, not '" + text + "'"};
    return n;
}

core::DateTime dateOption(const std::string& option, const std::string& text)
{
    const auto d = core::parseIsoDate(text);
    if (!d)
        throw UsageError{option + " needs a date of the form YYYY-MM-DD, not '" + text + "'"};
    return *d;
}

Options parse(const std::vector<std::string>& args)
{
    Options opt;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= args.size())
                throw UsageError{a + " needs a value"};
            return args[++i];
        };
        if (a == "--home") {
            opt.program.home = value();
        } else if (a == "--today") {
            opt.program.today = dateOption(a, value());
        } else if (a == "--answer") {
            const std::string v = value();
            if (v != "yes" && v != "no")
                throw UsageError{"--answer takes yes or no, not '" + v + "'"};
            opt.answers.push_back(v == "yes");
        } else if (a == "--yes") {
            opt.yes = true;
        } else if (a == "--demo") {
            opt.demo = true;
        } else if (a == "--open") {
            opt.opens.emplace_back(value());
        } else if (a == "--save") {
            opt.saves.emplace_back(value());
        } else if (a == "--set") {
            const std::string v = value();
            const auto eq = v.find('=');
            if (eq == std::string::npos || eq == 0)
                throw UsageError{"--set needs NAME=VALUE, not '" + v + "'"};
            opt.sets.emplace_back(v.substr(0, eq), v.substr(eq + 1));
        } else if (a == "--employee") {
            opt.positions.employee = numberOption(a, value());
        } else if (a == "--period-day") {
            opt.positions.periodDay = dateOption(a, value());
        } else if (a == "--clocking") {
            opt.positions.clocking = numberOption(a, value());
        } else if (a == "--posted-period") {
            opt.positions.postedPeriod = numberOption(a, value());
        } else if (a == "--type") {
            // Checked against the register at start-up: an unknown employee, day, column or
            // a time that is no time ends the run with exit code 1, nothing typed.
            Typing t;
            t.text = value();
            const auto c1 = t.text.find(',');
            const auto c2 = c1 == std::string::npos ? c1 : t.text.find(',', c1 + 1);
            const auto eq = c2 == std::string::npos ? c2 : t.text.find('=', c2 + 1);
            if (eq == std::string::npos)
                throw UsageError{"--type needs NO,YYYY-MM-DD,COLUMN=HH:MM:SS, not '" + t.text + "'"};
            t.employee = t.text.substr(0, c1);
            t.day = t.text.substr(c1 + 1, c2 - c1 - 1);
            t.column = t.text.substr(c2 + 1, eq - c2 - 1);
            t.time = t.text.substr(eq + 1);
            opt.typings.push_back(std::move(t));
        } else if (!a.empty() && a[0] == '-') {
            throw UsageError{"unknown option " + a};
        } else {
            const Command* c = findCommand(a);
            if (c == nullptr)
                throw UsageError{"unknown handler " + a};
            opt.commands.push_back(c);
        }
    }
    return opt;
}

void place(store::Cursor& cursor, const core::Value& key, const std::string& what)
{
    if (!cursor.findKey(key))
        throw core::Error(what + " not found");
}

/// A checked --type: the register cell and the value to type into it.
struct Typed {
    std::int64_t employee;
    core::DateTime day;
    std::string column;
    core::Value value;
};

Typed checkTyping(store::Tables& t, const Typing& typing)
{
    const std::string what = "--type " + typing.text + ": ";
    std::int32_t no = 0;
    if (!core::tryParseInt(typing.employee, no) || !t.EmployeeTable.findKey(core::Value::integer(no)))
        throw core::Error(what + "there is no employee " + typing.employee);
    const auto day = core::parseIsoDate(typing.day);
    if (!day)
        throw core::Error(what + "'" + typing.day + "' is not a date of the form YYYY-MM-DD");
    if (!t.AttendanceTable.locate("Date", core::Value::date(*day)))
        throw core::Error(what + "employee " + typing.employee + " has no register day " + typing.day);
    // The five pairs: the typed-times columns but the slot's start and end.
    const auto pairs = registers::kTypedCellFields.begin();
    if (std::find_if(pairs, pairs + 10, [&](const char* c) { return typing.column == c; }) == pairs + 10)
        throw core::Error(what + "'" + typing.column + "' is no register time; the columns are In1 to Out5");
    core::Value value;
    if (!typing.time.empty()) {
        const auto time = core::parseIsoTime(typing.time);
        if (!time)
            throw core::Error(what + "'" + typing.time + "' is not a time of the form HH:MM:SS");
        value = core::Value::time(*time);
    }
    return {no, *day, typing.column, value};
}

} // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, bool errIsTerminal)
{
    for (const auto& a : args) {
        if (a == "--help" || a == "-h") {
            out << kUsage;
            return 0;
        }
        if (a == "--version") {
            out << "tallix-cli " << TALLIX_VERSION << "\n";
            return 0;
        }
    }
    Options opt;
    try {
        opt = parse(args);
    } catch (const UsageError& e) {
        err << "tallix-cli: " << e.problem << "\n" << kUsage;
        return 2;
    }

    // Every --set is checked before start-up: a name no field has, or a value its field
    // refuses, ends the run before anything is read or written.
    {
        Program probe(opt.program);
        for (const auto& [name, val] : opt.sets) {
            try {
                if (!probe.setField(name, val)) {
                    err << "tallix-cli: unknown field " << name << " for --set\n" << kUsage;
                    return 2;
                }
            } catch (const core::Error& e) {
                err << "tallix-cli: " << e.what() << "\n" << kUsage;
                return 2;
            }
        }
    }

    CliServices ui(out, err, errIsTerminal);
    ui.answerAllYes = opt.yes;
    ui.answers = opt.answers;
    ui.openFiles = opt.opens;
    ui.saveFiles = opt.saves;

    // Printing draws with Qt's fonts, which need a graphics application; a runner has no
    // screen, so it draws offscreen unless told otherwise.
    std::unique_ptr<QGuiApplication> graphics;
    if (std::any_of(opt.commands.begin(), opt.commands.end(), [](const Command* c) { return c->paints; })
        && QCoreApplication::instance() == nullptr) {
        if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "tallix-cli";
        static char* argv[] = {name, nullptr};
        graphics = std::make_unique<QGuiApplication>(argc, argv);
    }

    Program program(opt.program);
    int rc = 0;
    try {
        program.FormCreate();
        program.FormShow();
        // Fields are set after start-up, which has loaded the settings and set the date pickers.
        for (const auto& [name, val] : opt.sets) {
            bool known = false;
            try {
                known = program.setField(name, val);
            } catch (const core::Error& e) {
                throw UsageError{e.what()};
            }
            if (!known)
                throw UsageError{"unknown field " + name + " for --set"};
        }
        if (opt.demo)
            out << "message: " << prepareDemo(program, examplesFolder()) << std::endl;
        auto& t = program.tables();
        // Times typed into the register by the grid's own path (recorded and marked as the
        // window's are), all checked before the first is typed.
        if (!opt.typings.empty()) {
            std::vector<Typed> typed;
            for (const Typing& typing : opt.typings)
                typed.push_back(checkTyping(t, typing));
            program.runCommand({{store::Table::Attendance}, {}}, &ui, [&] {
                for (const Typed& c : typed) {
                    place(t.EmployeeTable, core::Value::integer(c.employee), "Employee " + std::to_string(c.employee));
                    if (!t.AttendanceTable.locate("Date", core::Value::date(c.day)))
                        throw core::Error("Register day " + core::toIsoDate(c.day) + " not found");
                    t.AttendanceTable.edit();
                    t.AttendanceTable.setValue(c.column, c.value);
                    t.AttendanceTable.post();
                }
            });
        }
        const Positions& p = opt.positions;
        if (p.employee)
            place(t.EmployeeTable, core::Value::integer(*p.employee), "Employee " + std::to_string(*p.employee));
        if (p.periodDay)
            place(t.PeriodTable, core::Value::date(*p.periodDay), "Period day " + core::toIsoDate(*p.periodDay));
        if (p.clocking)
            place(t.ClkdataTable, core::Value::integer(*p.clocking), "Clocking " + std::to_string(*p.clocking));
        if (p.postedPeriod)
            place(t.PerhistoryTable, core::Value::integer(*p.postedPeriod),
                  "Posted period " + std::to_string(*p.postedPeriod));
        for (const Command* c : opt.commands) {
            execute(program, ui, *c);
            if (ui.closeRequested)
                break;
        }
    } catch (const UsageError& e) {
        err << "tallix-cli: " << e.problem << "\n" << kUsage;
        rc = 2;
    } catch (const NoAnswerLeft&) {
        rc = 3;
    } catch (const std::exception& e) {
        out << "error: " << e.what() << std::endl;
        rc = 1;
    }
    try {
        program.FormClose();
    } catch (const std::exception& e) {
        out << "error: " << e.what() << std::endl;
        if (rc == 0)
            rc = 1;
    }
    return rc;
}

} // namespace app
