#include "support/testsupport.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include "store/sqlite.h"

namespace testsupport {

core::Regional usRegional() { return core::Regional::pinned(QLocale(QLocale::English, QLocale::UnitedStates)); }

TempDir::TempDir()
{
    static std::atomic<int> counter{0};
    path_ = std::filesystem::temp_directory_path()
            / ("tallix-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

MemoryStore::MemoryStore()
    : regional(usRegional()), db(store::openMemoryDatabase()), tables(std::make_unique<store::Tables>(*db, regional))
{}

void MemoryStore::exec(const std::string& sql)
{
    db->exec(sql);
    for (store::Cursor* c : tables->inOrder())
        if (c->isOpen()) {
            c->invalidateCache();
            c->refresh();
        }
}

std::vector<std::string> MemoryStore::rows(const std::string& query) const
{
    store::Statement st(*db, query);
    std::vector<std::string> out;
    while (st.step()) {
        std::string line;
        for (int i = 0; i < st.columnCount(); ++i)
            line += (i ? "|" : "") + (st.isNull(i) ? std::string("NULL") : st.columnText(i));
        out.push_back(line);
    }
    return out;
}

std::string readFile(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeFile(const std::filesystem::path& file, const std::string& text)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << text;
}

FileSizeLimit::FileSizeLimit(std::uintmax_t bytes)
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    softLimit_ = limit.rlim_cur;
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    signalBefore_ = std::signal(SIGXFSZ, SIG_IGN);
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
        ADD_FAILURE() << "the file-size limit could not be set";
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = static_cast<rlim_t>(softLimit_);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, signalBefore_);
}

std::string allRows(store::Database& db)
{
    std::string out;
    for (const char* t : {"Employee", "Shifts", "Period", "ClkData", "Attendance", "TypedTimes", "Summaries", "History",
                          "PerHistory"}) {
        store::Statement st(db, std::string("SELECT * FROM ") + t + " ORDER BY rowid");
        out += std::string(t) + "\n";
        while (st.step()) {
            for (int i = 0; i < st.columnCount(); ++i)
                out += (st.isNull(i) ? std::string("~") : st.columnText(i)) + "|";
            out += "\n";
        }
    }
    return out;
}

std::string allRows(const std::filesystem::path& databaseFile)
{
    store::Database db(databaseFile.string(), store::Database::Mode::ReadOnly);
    return allRows(db);
}

std::vector<std::string> folderEntries(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace testsupport
