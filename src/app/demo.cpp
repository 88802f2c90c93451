#include "app/demo.h"

#include "app/commands.h"
#include "app/program.h"
#include "core/csvline.h"
#include "core/error.h"
#include "core/services.h"
#include "core/textfile.h"
#include "store/sqlite.h"
#include "store/tables.h"

#ifndef TALLIX_EXAMPLES_DIR
#define TALLIX_EXAMPLES_DIR ""
#endif

namespace app {

namespace {

namespace fs = std::filesystem;

/// The window's services for the preparation: Yes to its questions, its one file, no output.
class QuietServices : public core::WindowServices {
public:
    fs::path file;
    bool question(const std::string&) override { return true; }
    void message(const std::string&) override {}
    void setProgressCaption(const std::string&) override {}
    void setProgressRange(int, int, int) override {}
    void setProgressPosition(int) override {}
    void stepProgress() override {}
    void repaint() override {}
    void clearResult() override {}
    void appendResult(const std::string&) override {}
    void showPage(const std::string&) override {}
    std::optional<fs::path> openFile(const std::string&) override { return file; }
    std::optional<fs::path> saveFile(SaveDialog) override { return std::nullopt; }
    void fieldsChanged() override {}
    void showMap(const std::string&) override {}
    void closeWindow() override {}
};

std::vector<std::string> csvLine(const std::string& line)
{
    return core::splitLine(line, core::lineRules::demoSiteFile);
}

void run(Program& p, QuietServices& ui, const char* handler) { execute(p, ui, *findCommand(handler)); }

} // namespace

fs::path examplesFolder()
{
    const fs::path installed = executableFolder() / ".." / "share" / "tallix" / "examples";
    if (fs::exists(installed / "employees.csv"))
        return installed;
    return TALLIX_EXAMPLES_DIR;
}

std::string prepareDemo(Program& p, const fs::path& examples)
{
    if (!fs::exists(examples / "employees.csv"))
        throw core::Error("The demo site's files are not in " + examples.string());
    auto& t = p.tables();
    if (t.EmployeeTable.recordCount() > 0)
        return "The program's folder " + p.path() + " has employees already; it was left as it is.";

    QuietServices ui;
    ui.file = examples / "employees.csv";
    run(p, ui, "ImportEmployees1Click");

    // The kinds of work (flexitime, shift number) and the shift times are typed in the grids
    // by a clerk; the demo reads them from its files.
    p.runCommand({{store::Table::Employee, store::Table::Shifts}, {}}, &ui, [&] {
        std::string line;
        {
            core::TextFileReader in(examples / "workers.csv");
            store::Statement st(p.db(), "UPDATE Employee SET FlexiTime = ?, ShiftNo = ? WHERE No = ?");
            in.readLine(line); // header
            while (in.readLine(line)) {
                const auto f = csvLine(line);
                if (f.size() < 3)
                    continue;
                st.bind(1, std::string_view(f[1]));
                st.bind(2, static_cast<std::int64_t>(std::stoll(f[2])));
                st.bind(3, static_cast<std::int64_t>(std::stoll(f[0])));
                st.run();
            }
        }
        core::TextFileReader in(examples / "shifts.csv");
        in.readLine(line);
        const auto names = csvLine(line);
        while (in.readLine(line)) {
            const auto f = csvLine(line);
            std::string cols;
            std::string marks;
            for (std::size_t i = 0; i < names.size() && i < f.size(); ++i) {
                if (i > 0 && f[i].empty())
                    continue;
                cols += (cols.empty() ? "" : ", ") + names[i];
                marks += marks.empty() ? "?" : ", ?";
            }
            store::Statement st(p.db(), "INSERT INTO Shifts (" + cols + ") VALUES (" + marks + ")");
            int k = 1;
            for (std::size_t i = 0; i < names.size() && i < f.size(); ++i) {
                if (i > 0 && f[i].empty())
                    continue;
                if (i == 0)
                    st.bind(k++, static_cast<std::int64_t>(std::stoll(f[i])));
                else
                    st.bind(k++, std::string_view(f[i].size() == 5 ? f[i] + ":00" : f[i]));
            }
            st.run();
        }
    });

    p.pickers.startDate = core::encodeDate(2026, 3, 1);
    p.pickers.endDate = core::encodeDate(2026, 3, 31);
    p.pickers.newEndDate = core::encodeDate(2026, 4, 30);
    run(p, ui, "Button7Click");
    if (t.PeriodTable.findKey(core::Value::date(core::encodeDate(2026, 3, 21))))
        run(p, ui, "SetasHOLIDAY1Click");
    t.PeriodTable.first();
    t.EmployeeTable.first();

    for (const char* f : {"clockdata.txt", "scanner.dat"})
        fs::copy_file(examples / f, fs::path(p.path()) / f, fs::copy_options::overwrite_existing);
    return "The demo site is ready in " + p.path() + ": " + std::to_string(t.EmployeeTable.recordCount())
           + " employees, March 2026 with a holiday on the 21st, and clockdata.txt and scanner.dat to import.";
}

} // namespace app
