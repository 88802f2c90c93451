#include "core/regional.h"

#include <QDate>
#include <QTime>

#include <vector>

namespace core {

namespace {

// A Qt date-time format split into pieces: quoted literals stay whole so that letters inside
// them are never taken for pattern letters.
struct Piece {
    enum class Kind { Quoted, Zone, Blank, Other };
    Kind kind;
    QString text;
};

std::vector<Piece> splitFormat(const QString& format)
{
    std::vector<Piece> pieces;
    qsizetype i = 0;
    const qsizetype n = format.size();
    while (i < n) {
        const QChar c = format[i];
        if (c == u'\'') {
            // A quoted literal runs to the next single quote; '' inside it is a literal quote.
            qsizetype j = i + 1;
            while (j < n) {
                if (format[j] == u'\'') {
                    if (j + 1 < n && format[j + 1] == u'\'') {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            const qsizetype end = j < n ? j + 1 : n;
            pieces.push_back({Piece::Kind::Quoted, format.mid(i, end - i)});
            i = end;
        } else if (c == u't') {
            qsizetype j = i;
            while (j < n && format[j] == u't') {
                ++j;
            }
            pieces.push_back({Piece::Kind::Zone, format.mid(i, j - i)});
            i = j;
        } else {
            pieces.push_back({c.isSpace() ? Piece::Kind::Blank : Piece::Kind::Other, QString(c)});
            ++i;
        }
    }
    return pieces;
}

bool isChar(const std::vector<Piece>& pieces, std::size_t i, char16_t c)
{
    return i < pieces.size() && pieces[i].kind == Piece::Kind::Other && pieces[i].text[0] == c;
}

} // namespace

QString timeFormatWithoutZone(const QString& format)
{
    std::vector<Piece> pieces = splitFormat(format);
    for (std::size_t z = 0; z < pieces.size();) {
        if (pieces[z].kind != Piece::Kind::Zone) {
            ++z;
            continue;
        }
        // [first, last) is the span to remove: the zone, blanks around it and brackets.
        std::size_t first = z;
        std::size_t last = z + 1;
        auto widen = [&] {
            while (first > 0 && pieces[first - 1].kind == Piece::Kind::Blank) {
                --first;
            }
            while (last < pieces.size() && pieces[last].kind == Piece::Kind::Blank) {
                ++last;
            }
        };
        widen();
        while (first > 0 && isChar(pieces, first - 1, u'(') && isChar(pieces, last, u')')) {
            --first;
            ++last;
            widen();
        }
        // Between two other pieces keep one blank so that they do not run together.
        const bool between = first > 0 && last < pieces.size();
        if (between && pieces[first].kind == Piece::Kind::Blank) {
            ++first;
        } else if (between && pieces[last - 1].kind == Piece::Kind::Blank) {
            --last;
        }
        pieces.erase(pieces.begin() + static_cast<std::ptrdiff_t>(first),
                     pieces.begin() + static_cast<std::ptrdiff_t>(last));
        z = first;
    }
    QString out;
    for (const Piece& p : pieces) {
        out += p.text;
    }
    return out;
}

QString withFourDigitYear(const QString& format)
{
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format[i];
        if (c == '\'') {
            quoted = !quoted;
            out += c;
            ++i;
            continue;
        }
        if (quoted || c != 'y') {
            out += c;
            ++i;
            continue;
        }
        while (i < format.size() && format[i] == 'y')
            ++i;
        out += "yyyy";
    }
    return out;
}

Regional::Regional(const QLocale& locale)
    : locale_(locale),
      decimal_(locale.decimalPoint().toStdString()),
      shortDate_(locale.dateFormat(QLocale::ShortFormat)),
      fileDate_(withFourDigitYear(shortDate_)),
      longTime_(timeFormatWithoutZone(locale.timeFormat(QLocale::LongFormat)))
{}

Regional Regional::system() { return Regional(QLocale::system()); }

Regional Regional::pinned(const QLocale& locale) { return Regional(locale); }

std::string Regional::formatDate(DateTime value) const
{
    return locale_.toString(toQDate(value), shortDate_).toStdString();
}

std::string Regional::formatFileDate(DateTime value) const
{
    return locale_.toString(toQDate(value), fileDate_).toStdString();
}

std::string Regional::formatTime(DateTime value) const
{
    const Hms t = decodeTime(value);
    return locale_.toString(QTime(t.hour, t.minute, t.second, t.msec), longTime_).toStdString();
}

} // namespace core
