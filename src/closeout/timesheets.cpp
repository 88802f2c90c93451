#include "closeout/timesheets.h"

#include <algorithm>
#include <array>
#include <functional>
#include <vector>

#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QString>

#include "core/counted.h"
#include "core/error.h"
#include "core/regional.h"
#include "core/services.h"
#include "core/textfile.h"
#include "register/hours.h"
#include "register/typedtimes.h"
#include "store/sqlite.h"

namespace closeout {

namespace {

// Everything is laid out in points: the writer works at 72 dots per inch.
constexpr int kDpi = 72;
constexpr double kMargin = 28;
constexpr double kRow = 12;
constexpr double kFooter = 22;

QString q(const std::string& s) { return QString::fromStdString(s); }

/// A PDF file with pages of points, its fonts, and the common head and foot of every page.
class Document {
public:
    Document(const std::filesystem::path& file, QPageLayout::Orientation orientation) : out_(file), writer_(&out_)
    {
        writer_.setResolution(kDpi);
        writer_.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), orientation, QMarginsF(0, 0, 0, 0)));
        writer_.setCreator("TALLIX");
        writer_.setTitle(orientation == QPageLayout::Landscape ? "Timesheets" : "Period Report");
        if (!painter_.begin(&writer_))
            throw core::Error("Cannot write to file \"" + file.string() + "\": the PDF could not be started");
        const QRectF page = writer_.pageLayout().fullRectPoints();
        width_ = page.width();
        height_ = page.height();
        small_.setPointSizeF(6.5);
        normal_.setPointSizeF(8);
        bold_ = normal_;
        bold_.setBold(true);
        title_.setPointSizeF(13);
        title_.setBold(true);
        tableBold_ = small_;
        tableBold_.setPointSizeF(7);
        tableBold_.setBold(true);
    }

    /// Completes the PDF and puts it in the file's place; a document destroyed before (an
    /// error on the way) leaves the old file as it was and no temporary file.
    void end()
    {
        if (!painter_.end())
            throw core::Error("Cannot write to file \"" + out_.file().string() + "\": the PDF could not be completed");
        out_.commit();
    }

    void newPage()
    {
        if (pages_ > 0)
            writer_.newPage();
        ++pages_;
        y_ = kMargin;
    }

    /// Text in a box, cut with "..." where it would not fit.
    void text(double x, double w, const QString& s, const QFont& font, Qt::Alignment align = Qt::AlignLeft)
    {
        painter_.setFont(font);
        const QString shown = QFontMetricsF(font, painter_.device()).elidedText(s, Qt::ElideRight, w);
        painter_.drawText(QRectF(x, y_, w, kRow), static_cast<int>(align | Qt::AlignVCenter), shown);
    }

    void rule(double x0, double x1, double at) { painter_.drawLine(QPointF(x0, at), QPointF(x1, at)); }

    /// Makes the table's type (cells and titles) smaller by the factor.
    void shrinkTable(double factor)
    {
        small_.setPointSizeF(small_.pointSizeF() * factor);
        tableBold_.setPointSizeF(tableBold_.pointSizeF() * factor);
    }
    const QFont& tableBold() const { return tableBold_; }

    double width() const { return width_; }
    double height() const { return height_; }
    double left() const { return kMargin; }
    double right() const { return width_ - kMargin; }
    /// The lowest y a row may start at above the foot.
    double bottom() const { return height_ - kMargin - kFooter; }
    double& y() { return y_; }
    int pages() const { return pages_; }
    const QFont& small() const { return small_; }
    const QFont& normal() const { return normal_; }
    const QFont& bold() const { return bold_; }
    const QFont& title() const { return title_; }
    QPainter& painter() { return painter_; }

private:
    core::SaveFile out_; ///< before the writer: it outlives the writer's last words
    QPdfWriter writer_;
    QPainter painter_;
    double width_ = 0;
    double height_ = 0;
    double y_ = 0;
    int pages_ = 0;
    QFont small_;
    QFont normal_;
    QFont bold_;
    QFont title_;
    QFont tableBold_;
};

/// The foot of every page: "Printed DATE TIME" and "Page N of M". The pages are counted in a
/// first run of the layout that draws nothing, so the number of pages is known beforehand.
void foot(Document& d, int page, int pages, const std::string& printed)
{
    const double keep = d.y();
    d.y() = d.height() - kMargin - kRow;
    d.rule(d.left(), d.right(), d.y() - 2);
    d.text(d.left(), 300, q("Printed " + printed), d.small());
    d.text(d.right() - 200, 200, QString("Page %1 of %2").arg(page).arg(pages), d.small(), Qt::AlignRight);
    d.y() = keep;
}

std::string hoursText(std::int64_t ms, const core::Regional& regional)
{
    return regional.locale().toString(registers::msToHours(ms), 'f', 2).toStdString();
}

std::string printedText(const PrintContext& c, const core::Regional& regional)
{
    return regional.formatFileDate(c.printedAt) + " " + regional.formatTime(c.printedAt);
}

/// The period as the register holds it: its first and last day and the number.
struct Period {
    std::string from;
    std::string to;
};

Period periodOf(store::Database& db, const core::Regional& regional)
{
    store::Statement st(db, "SELECT min(Date), max(Date) FROM Period");
    Period p;
    if (st.step() && !st.isNull(0)) {
        if (const auto d = core::parseIsoDate(st.columnText(0)))
            p.from = regional.formatFileDate(*d);
        if (const auto d = core::parseIsoDate(st.columnText(1)))
            p.to = regional.formatFileDate(*d);
    }
    return p;
}

// ---- timesheets ---------------------------------------------------------------------------

struct Employee {
    std::int64_t no = 0;
    std::string name;
    std::string mobile;
    std::string payroll;
    registers::HoursRules rules;
};

struct Day {
    std::string date;    ///< as the register shows it
    std::string weekday; ///< the register's DOW
    std::string slot;
    std::string from;
    std::string to;
    std::array<std::string, 10> times; ///< In1, Out1, ... Out5 as shown, "*" after a typed one
    registers::DayMs ms;
    bool holiday = false;
};

struct Sheet {
    Employee e;
    std::vector<Day> days;
    registers::DayMs total;                      ///< the days added up
    std::array<std::optional<double>, 4> stored; ///< the employee's NT, OT1, OT2, HT: what payroll gets
    bool anyTyped = false;
};

/// A stored total in whole milliseconds, an empty one as 0.
std::int64_t storedMs(const std::optional<double>& hours)
{
    return hours ? registers::hoursToMs(*hours).value_or(0) : 0;
}

/// How the totals that go to payroll stand to the days on the sheet.
enum class TotalsAre {
    TheDays,        ///< the days added up, as "Summarise" leaves them
    FullHoursMoved, ///< the days, with OT1 moved into NT by the full-hours rule
    NotTheDays,     ///< anything else: the register changed since "Summarise"
};

TotalsAre totalsOf(const Sheet& s)
{
    const std::int64_t nt = storedMs(s.stored[0]);
    const std::int64_t ot1 = storedMs(s.stored[1]);
    if (storedMs(s.stored[2]) != s.total.OT2 || storedMs(s.stored[3]) != s.total.HT)
        return TotalsAre::NotTheDays;
    if (nt == s.total.NT && ot1 == s.total.OT1)
        return TotalsAre::TheDays;
    // The rule only moves OT1 into NT: their sum stays.
    return nt + ot1 == s.total.NT + s.total.OT1 && nt > s.total.NT ? TotalsAre::FullHoursMoved : TotalsAre::NotTheDays;
}

std::string shownTime(store::Statement& st, int column, const core::Regional& regional)
{
    if (st.isNull(column))
        return {};
    const auto t = core::parseIsoTime(st.columnText(column));
    return t ? regional.formatTime(*t) : st.columnText(column);
}

std::vector<Sheet> readSheets(store::Database& db, const core::Regional& regional)
{
    std::vector<Sheet> sheets;
    {
        store::Statement st(db,
                            std::string("SELECT No, ifnull(Name, ''), ifnull(MobileNo, ''), ifnull(PayrollNo, ''), ")
                                + registers::kRulesColumns + ", NT, OT1, OT2, HT FROM Employee ORDER BY No");
        while (st.step()) {
            Sheet s;
            s.e = {st.columnInt(0), st.columnText(1), st.columnText(2), st.columnText(3), registers::rulesOf(st, 4)};
            for (int i = 0; i < 4; ++i)
                if (!st.isNull(9 + i))
                    s.stored[static_cast<std::size_t>(i)] = st.columnReal(9 + i);
            sheets.push_back(std::move(s));
        }
    }
    // Columns: Date, Shift, then the day's times as the hours read them.
    store::Statement days(db, std::string("SELECT Date, Shift, ") + registers::kDayTimesColumns
                                  + " FROM Attendance WHERE EmployeeNo = ? ORDER BY Date, rowid");
    registers::TypedTimes typed(db);
    static const std::array<const char*, 10> pairFields{"In1",  "Out1", "In2",  "Out2", "In3",
                                                        "Out3", "In4",  "Out4", "In5",  "Out5"};
    for (Sheet& s : sheets) {
        days.bind(1, s.e.no);
        while (days.step()) {
            Day d;
            const std::string isoDate = days.columnText(0);
            const auto date = core::parseIsoDate(isoDate);
            d.date = date ? regional.formatFileDate(*date) : isoDate;
            d.slot = days.isNull(1) ? std::string() : std::to_string(days.columnInt(1));
            d.from = shownTime(days, 2, regional);
            d.to = shownTime(days, 3, regional);
            for (std::size_t n = 0; n < 10; ++n) {
                const int col = 4 + static_cast<int>(n);
                d.times[n] = shownTime(days, col, regional);
                if (!days.isNull(col) && typed.typed(s.e.no, isoDate, pairFields[n], days.columnText(col))) {
                    d.times[n] += "*";
                    s.anyTyped = true;
                }
            }
            d.holiday = days.columnInt(14) != 0;
            d.weekday = days.columnText(15);
            d.ms = registers::dayMs(registers::dayTimesOf(days, 2), s.e.rules);
            s.total += d.ms;
            s.days.push_back(std::move(d));
        }
        days.reset();
    }
    return sheets;
}

/// The columns of a timesheet's table: title and width in points (landscape A4 holds 786).
struct Column {
    const char* title;
    double width;
    Qt::Alignment align;
};

const std::vector<Column>& sheetColumns()
{
    static const std::vector<Column> cols = [] {
        std::vector<Column> c{{"Date", 50, Qt::AlignLeft},
                              {"Day", 44, Qt::AlignLeft},
                              {"Slot", 20, Qt::AlignRight},
                              {"From", 37, Qt::AlignRight},
                              {"To", 37, Qt::AlignRight}};
        static const std::array<const char*, 10> pairs{"In1",  "Out1", "In2",  "Out2", "In3",
                                                       "Out3", "In4",  "Out4", "In5",  "Out5"};
        for (const char* p : pairs)
            c.push_back({p, 37, Qt::AlignRight});
        for (const char* h : {"NHrs", "HrsIN", "NT", "OT1", "OT2", "HT"})
            c.push_back({h, 33, Qt::AlignRight});
        c.push_back({"Hol", 20, Qt::AlignCenter});
        return c;
    }();
    return cols;
}

std::vector<std::string> cellsOf(const Day& day, const core::Regional& regional)
{
    std::vector<std::string> cells{day.date, day.weekday, day.slot, day.from, day.to};
    cells.insert(cells.end(), day.times.begin(), day.times.end());
    for (std::int64_t ms : {day.ms.NHrs, day.ms.HrsIN, day.ms.NT, day.ms.OT1, day.ms.OT2, day.ms.HT})
        cells.push_back(hoursText(ms, regional));
    cells.push_back(day.holiday ? "H" : "");
    return cells;
}

/// A stored total with two decimals; empty for none.
std::string storedText(const std::optional<double>& hours, const core::Regional& regional)
{
    return hours ? regional.locale().toString(*hours, 'f', 2).toStdString() : std::string();
}

/// The totals row: the days' NHrs and HrsIN, then NT, OT1, OT2 and HT as they go to payroll.
std::vector<std::string> totalsCells(const Sheet& s, const core::Regional& regional)
{
    std::vector<std::string> cells(15);
    cells[0] = "Totals";
    cells.push_back(hoursText(s.total.NHrs, regional));
    cells.push_back(hoursText(s.total.HrsIN, regional));
    for (const auto& v : s.stored)
        cells.push_back(storedText(v, regional));
    return cells;
}

/// The words under the totals that tell how they stand to the days above them.
std::vector<std::string> totalsNotes(const Sheet& s, const core::Regional& regional)
{
    const auto h = [&](std::int64_t ms) { return hoursText(ms, regional); };
    switch (totalsOf(s)) {
    case TotalsAre::TheDays: return {};
    case TotalsAre::FullHoursMoved:
        return {"FULL HOURS before OVERTIME applied: " + h(storedMs(s.stored[0]) - s.total.NT)
                + " hours of the days' OT1 are paid as NT (the days add up to NT " + h(s.total.NT) + ", OT1 "
                + h(s.total.OT1) + ")."};
    case TotalsAre::NotTheDays: break;
    }
    return {"These totals are the employee's totals as they stand, not the days above (NT " + h(s.total.NT) + ", OT1 "
                + h(s.total.OT1) + ", OT2 " + h(s.total.OT2) + ", HT " + h(s.total.HT) + "):",
            "run \"Summarise\" and print again before this sheet is signed."};
}

/// The columns as wide as their widest text ("12:15:29 PM*" on an American desk, "12:15:29"
/// on a German one); where they would not fit the page, the table's type is made smaller.
std::vector<Column> fittedColumns(Document& d, const std::vector<Sheet>& sheets, const core::Regional& regional)
{
    std::vector<Column> cols = sheetColumns();
    const QFontMetricsF cell(d.small(), d.painter().device());
    const QFontMetricsF head(d.tableBold(), d.painter().device());
    std::vector<double> need(cols.size(), 0);
    for (std::size_t i = 0; i < cols.size(); ++i)
        need[i] = head.horizontalAdvance(cols[i].title) + 8;
    auto widen = [&](const std::vector<std::string>& cells, const QFontMetricsF& m) {
        for (std::size_t i = 0; i < cells.size() && i < need.size(); ++i)
            need[i] = std::max(need[i], m.horizontalAdvance(q(cells[i])) + 8);
    };
    for (const Sheet& s : sheets) {
        for (const Day& day : s.days)
            widen(cellsOf(day, regional), cell);
        widen(totalsCells(s, regional), head);
    }
    need[1] = std::min(need[1], 60.0); // a weekday is never longer, but the register's text may be
    double total = 0;
    for (double w : need)
        total += w;
    const double room = d.right() - d.left();
    const double scale = total > room ? room / total : 1.0;
    if (scale < 1.0)
        d.shrinkTable(scale);
    for (std::size_t i = 0; i < cols.size(); ++i)
        cols[i].width = need[i] * scale;
    return cols;
}

/// Lays out (and with `draw`, paints) every timesheet; returns the pages used.
/// `done(n)` is told after the n-th sheet is drawn (a long run shows its progress).
int layoutSheets(Document* d, const std::vector<Sheet>& sheets, const Period& period, const PrintContext& c,
                 const core::Regional& regional, int totalPages, const std::function<void(int)>& done = {})
{
    // Without a document the layout only counts: every measure below is fixed in points.
    const double top = kMargin;
    const double bottom = (d != nullptr ? d->height() : 595.0) - kMargin - kFooter;
    int pages = 0;
    double y = top;
    const std::vector<Column> cols = d != nullptr ? fittedColumns(*d, sheets, regional) : sheetColumns();
    const std::string printed = printedText(c, regional);

    auto page = [&] {
        ++pages;
        y = top;
        if (d == nullptr)
            return;
        d->newPage();
        foot(*d, pages, totalPages, printed);
    };
    auto row = [&](const std::vector<std::string>& cells, const QFont* font) {
        if (d != nullptr) {
            d->y() = y;
            double x = d->left();
            for (std::size_t i = 0; i < cols.size() && i < cells.size(); ++i) {
                d->text(x + 1, cols[i].width - 2, q(cells[i]), *font, cols[i].align);
                x += cols[i].width;
            }
        }
        y += kRow;
    };
    auto tableHead = [&] {
        std::vector<std::string> t;
        for (const Column& col : cols)
            t.push_back(col.title);
        row(t, d != nullptr ? &d->tableBold() : nullptr);
        if (d != nullptr)
            d->rule(d->left(), d->right(), y - 1);
    };
    auto line = [&](const QString& s, const QFont* font, double height = kRow) {
        if (d != nullptr) {
            d->y() = y;
            d->text(d->left(), d->right() - d->left(), s, *font);
        }
        y += height;
    };

    if (sheets.empty()) {
        page();
        line("TIMESHEETS", d != nullptr ? &d->title() : nullptr, 20);
        line("No employee is on the register.", d != nullptr ? &d->normal() : nullptr);
        return pages;
    }
    for (const Sheet& s : sheets) {
        page();
        auto heading = [&](bool continued) {
            line(QString("TIMESHEET%1").arg(continued ? " (continued)" : ""), d != nullptr ? &d->title() : nullptr, 20);
            line(q("No " + std::to_string(s.e.no) + "   " + s.e.name), d != nullptr ? &d->bold() : nullptr);
            if (continued)
                return;
            line(q("MobileNo " + s.e.mobile + "   PayrollNo " + s.e.payroll + "   "
                   + (s.e.rules.flexiTime ? "Flexitime" : "Fixed time")),
                 d != nullptr ? &d->normal() : nullptr);
            line(q("Pay period " + c.periodNumber + ": " + period.from + " to " + period.to),
                 d != nullptr ? &d->normal() : nullptr, kRow + 6);
        };
        heading(false);
        tableHead();
        if (s.days.empty())
            line("No register days in this period.", d != nullptr ? &d->normal() : nullptr);
        for (const Day& day : s.days) {
            if (y + kRow > bottom) {
                page();
                heading(true);
                tableHead();
            }
            row(cellsOf(day, regional), d != nullptr ? &d->small() : nullptr);
        }
        // The totals, their notes, the footnote and the signatures stay together.
        const std::vector<std::string> notes = totalsNotes(s, regional);
        const double closing =
            kRow * 2 + static_cast<double>(notes.size()) * kRow + (s.anyTyped ? kRow : 0) + 3 * kRow + 8;
        if (y + closing > bottom) {
            page();
            heading(true);
        }
        if (d != nullptr)
            d->rule(d->left(), d->right(), y + 1);
        row(totalsCells(s, regional), d != nullptr ? &d->tableBold() : nullptr);
        for (const std::string& note : notes)
            line(q(note), d != nullptr ? &d->small() : nullptr);
        y += kRow;
        if (s.anyTyped)
            line("* typed into the register by hand, not clocked", d != nullptr ? &d->small() : nullptr);
        y += 8;
        line("Employee's signature: ______________________________      Date: ______________",
             d != nullptr ? &d->normal() : nullptr, kRow * 1.5);
        line("Supervisor's signature: ____________________________      Date: ______________",
             d != nullptr ? &d->normal() : nullptr, kRow * 1.5);
        if (d != nullptr && done)
            done(static_cast<int>(&s - sheets.data()) + 1);
    }
    return pages;
}

// ---- period report ------------------------------------------------------------------------

struct ReportLine {
    std::int64_t no = 0;
    std::string name;
    std::string payroll;
    std::array<std::optional<double>, 4> totals; ///< NT, OT1, OT2, HT as they stand
};

int layoutReport(Document* d, const std::vector<ReportLine>& lines, const Period& period, const PrintContext& c,
                 const core::Regional& regional, int totalPages)
{
    const double top = kMargin;
    const double bottom = (d != nullptr ? d->height() : 842.0) - kMargin - kFooter;
    const std::array<Column, 7> cols{Column{"No", 40, Qt::AlignRight},       Column{"Name", 200, Qt::AlignLeft},
                                     Column{"PayrollNo", 90, Qt::AlignLeft}, Column{"NT", 50, Qt::AlignRight},
                                     Column{"OT1", 50, Qt::AlignRight},      Column{"OT2", 50, Qt::AlignRight},
                                     Column{"HT", 50, Qt::AlignRight}};
    const std::string printed = printedText(c, regional);
    int pages = 0;
    double y = top;
    auto row = [&](const std::array<std::string, 7>& cells, const QFont* font) {
        if (d != nullptr) {
            d->y() = y;
            double x = d->left();
            for (std::size_t i = 0; i < cols.size(); ++i) {
                d->text(x + 1, cols[i].width - 6, q(cells[i]), *font, cols[i].align);
                x += cols[i].width;
            }
        }
        y += kRow;
    };
    auto page = [&] {
        ++pages;
        y = top;
        if (d != nullptr) {
            d->newPage();
            foot(*d, pages, totalPages, printed);
            d->y() = y;
            d->text(d->left(), 500, pages == 1 ? "PERIOD REPORT" : "PERIOD REPORT (continued)", d->title());
        }
        y += 20;
        if (d != nullptr) {
            d->y() = y;
            d->text(d->left(), 500, q("Pay period " + c.periodNumber + ": " + period.from + " to " + period.to),
                    d->normal());
        }
        y += kRow + 6;
        std::array<std::string, 7> head;
        for (std::size_t i = 0; i < cols.size(); ++i)
            head[i] = cols[i].title;
        row(head, d != nullptr ? &d->bold() : nullptr);
        if (d != nullptr)
            d->rule(d->left(), d->right(), y - 1);
    };
    auto shown = [&](const std::optional<double>& v) { return storedText(v, regional); };
    page();
    std::array<std::int64_t, 4> grand{};
    for (const ReportLine& l : lines) {
        if (y + kRow > bottom)
            page();
        row({std::to_string(l.no), l.name, l.payroll, shown(l.totals[0]), shown(l.totals[1]), shown(l.totals[2]),
             shown(l.totals[3])},
            d != nullptr ? &d->normal() : nullptr);
        for (std::size_t i = 0; i < 4; ++i)
            if (l.totals[i])
                grand[i] += registers::hoursToMs(*l.totals[i]).value_or(0);
    }
    if (y + 2 * kRow > bottom)
        page();
    if (d != nullptr)
        d->rule(d->left(), d->right(), y + 1);
    row({"", "Grand totals (" + core::counted(static_cast<std::int64_t>(lines.size()), "employee", "employees") + ")",
         "", hoursText(grand[0], regional), hoursText(grand[1], regional), hoursText(grand[2], regional),
         hoursText(grand[3], regional)},
        d != nullptr ? &d->bold() : nullptr);
    return pages;
}

std::vector<ReportLine> readReport(store::Database& db)
{
    std::vector<ReportLine> lines;
    store::Statement st(db, "SELECT No, ifnull(Name, ''), ifnull(PayrollNo, ''), NT, OT1, OT2, HT FROM Employee "
                            "ORDER BY No");
    while (st.step()) {
        ReportLine l{st.columnInt(0), st.columnText(1), st.columnText(2), {}};
        for (int i = 0; i < 4; ++i)
            if (!st.isNull(3 + i))
                l.totals[static_cast<std::size_t>(i)] = st.columnReal(3 + i);
        lines.push_back(std::move(l));
    }
    return lines;
}

} // namespace

std::optional<Printed> printTimesheets(store::Database& db, core::WindowServices& ui, const core::Regional& regional,
                                       const PrintContext& context)
{
    const auto file = ui.saveFile(core::WindowServices::SaveDialog::Timesheets);
    if (!file)
        return std::nullopt;
    // Thousands of sheets take a while: the bar follows them and the window stays painted.
    core::startProgress(ui, "Printing timesheets...", 0);
    const std::vector<Sheet> sheets = readSheets(db, regional);
    const Period period = periodOf(db, regional);
    const int pages = layoutSheets(nullptr, sheets, period, context, regional, 0);
    ui.setProgressRange(0, static_cast<int>(sheets.size()), 1);
    {
        Document d(*file, QPageLayout::Landscape);
        layoutSheets(&d, sheets, period, context, regional, pages, [&ui](int drawn) {
            ui.setProgressPosition(drawn);
            ui.repaint();
        });
        d.end();
    }
    const int n = static_cast<int>(sheets.size());
    ui.appendResult(file->filename().string() + ": " + core::counted(n, "timesheet", "timesheets") + " on "
                    + core::counted(pages, "page", "pages") + " written");
    const auto stale = std::count_if(sheets.begin(), sheets.end(),
                                     [](const Sheet& s) { return totalsOf(s) == TotalsAre::NotTheDays; });
    if (stale > 0) {
        ui.appendResult(core::counted(stale, "timesheet shows", "timesheets show")
                        + " totals that are not the sum of the days: run \"Summarise\" and print again.");
        ui.showPage("Result");
    }
    return Printed{*file, n, pages};
}

std::optional<Printed> printPeriodReport(store::Database& db, core::WindowServices& ui, const core::Regional& regional,
                                         const PrintContext& context)
{
    const auto file = ui.saveFile(core::WindowServices::SaveDialog::PeriodReport);
    if (!file)
        return std::nullopt;
    const std::vector<ReportLine> lines = readReport(db);
    const Period period = periodOf(db, regional);
    const int pages = layoutReport(nullptr, lines, period, context, regional, 0);
    {
        Document d(*file, QPageLayout::Portrait);
        layoutReport(&d, lines, period, context, regional, pages);
        d.end();
    }
    const int n = static_cast<int>(lines.size());
    ui.appendResult(file->filename().string() + ": " + core::counted(n, "employee", "employees") + " on "
                    + core::counted(pages, "page", "pages") + " written");
    return Printed{*file, n, pages};
}

} // namespace closeout
