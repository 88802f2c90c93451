#include "store/record.h"

#include <cmath>
#include <limits>

#include <QDate>
#include <QString>
#include <QTime>

#include "core/error.h"
#include "core/numparse.h"
#include "core/regional.h"
#include "core/textform.h"

namespace store {

using core::Value;
using Kind = core::Value::Kind;

Record::Record(const TableDef& table, const std::vector<CalcField>& calc, const core::Regional& regional)
    : table_(&table), calc_(&calc), regional_(&regional), values_(table.columns.size() + calc.size())
{}

int Record::fieldIndex(std::string_view name) const
{
    const int i = table_->columnIndex(name);
    if (i >= 0)
        return i;
    for (std::size_t c = 0; c < calc_->size(); ++c)
        if (equalsNoCase((*calc_)[c].name, name))
            return static_cast<int>(table_->columns.size() + c);
    throw core::Error(table_->name + ": Field '" + std::string(name) + "' not found");
}

std::string Record::fieldName(int index) const
{
    const auto n = table_->columns.size();
    const auto i = static_cast<std::size_t>(index);
    return i < n ? table_->columns.at(i).name : calc_->at(i - n).name;
}

ColType Record::fieldType(int index) const
{
    const auto n = table_->columns.size();
    const auto i = static_cast<std::size_t>(index);
    return i < n ? table_->columns.at(i).type : calc_->at(i - n).type;
}

bool Record::isCalculated(int index) const { return static_cast<std::size_t>(index) >= table_->columns.size(); }

std::int64_t Record::asInteger(std::string_view name) const { return toInteger(value(name), *regional_); }

double Record::asReal(std::string_view name) const { return toReal(value(name), *regional_); }

core::DateTime Record::asDateTime(std::string_view name) const { return toDateTime(value(name)); }

std::string Record::asText(std::string_view name) const { return core::textForm(value(name), *regional_); }

bool Record::asBoolean(std::string_view name) const { return toBoolean(value(name)); }

void Record::set(int index, const Value& value)
{
    values_.at(static_cast<std::size_t>(index)) = coerce(value, fieldType(index), *regional_);
}

std::int64_t toInteger(const Value& value, const core::Regional& regional)
{
    switch (value.kind()) {
    case Kind::Empty: return 0;
    case Kind::Integer:
    case Kind::Boolean: return value.intPayload();
    case Kind::Real:
    case Kind::Date:
    case Kind::Time: {
        const double r = std::round(value.realPayload());
        if (!(r >= -9.2e18 && r <= 9.2e18))
            throw core::ConvertError("'" + core::formatReal(value.realPayload(), regional)
                                     + "' is not a valid integer value");
        return static_cast<std::int64_t>(r);
    }
    case Kind::Text: return core::parseInt64(value.textPayload());
    }
    return 0;
}

double toReal(const Value& value, const core::Regional& regional)
{
    switch (value.kind()) {
    case Kind::Empty: return 0.0;
    case Kind::Integer:
    case Kind::Boolean: return static_cast<double>(value.intPayload());
    case Kind::Real:
    case Kind::Date:
    case Kind::Time: return value.realPayload();
    case Kind::Text: return core::parseReal(value.textPayload(), regional);
    }
    return 0.0;
}

core::DateTime toDateTime(const Value& value)
{
    switch (value.kind()) {
    case Kind::Empty: return 0.0;
    case Kind::Integer:
    case Kind::Boolean: return static_cast<double>(value.intPayload());
    case Kind::Real:
    case Kind::Date:
    case Kind::Time: return value.realPayload();
    case Kind::Text: {
        const std::string& t = value.textPayload();
        if (auto d = core::parseIsoDate(t))
            return *d;
        if (auto tm = core::parseIsoTime(t))
            return *tm;
        throw core::ConvertError("'" + t + "' is not a valid date and time");
    }
    }
    return 0.0;
}

bool toBoolean(const Value& value)
{
    switch (value.kind()) {
    case Kind::Empty: return false;
    case Kind::Integer:
    case Kind::Boolean: return value.intPayload() != 0;
    case Kind::Real:
    case Kind::Date:
    case Kind::Time: return value.realPayload() != 0.0;
    case Kind::Text: {
        const std::string& t = value.textPayload();
        if (equalsNoCase(t, "True") || t == "1")
            return true;
        if (equalsNoCase(t, "False") || t == "0" || t.empty())
            return false;
        throw core::ConvertError("'" + t + "' is not a valid boolean value");
    }
    }
    return false;
}

namespace {

core::DateTime parseDateText(const std::string& text, const core::Regional& regional)
{
    if (auto d = core::parseIsoDate(text))
        return *d;
    const QString q = QString::fromStdString(text).trimmed();
    QDate date = regional.locale().toDate(q, regional.shortDateFormat());
    if (!date.isValid())
        date = regional.locale().toDate(q, QLocale::ShortFormat);
    if (!date.isValid())
        throw core::ConvertError("'" + text + "' is not a valid date");
    return core::fromQDate(date);
}

core::DateTime parseTimeText(const std::string& text, const core::Regional& regional)
{
    if (auto t = core::parseIsoTime(text))
        return *t;
    const QString q = QString::fromStdString(text).trimmed();
    QTime time = regional.locale().toTime(q, regional.longTimeFormat());
    if (!time.isValid())
        time = regional.locale().toTime(q, QLocale::ShortFormat);
    if (!time.isValid())
        throw core::ConvertError("'" + text + "' is not a valid time");
    return core::encodeTime(time.hour(), time.minute(), time.second(), time.msec());
}

} // namespace

Value coerce(const Value& value, ColType type, const core::Regional& regional)
{
    if (value.isEmpty())
        return value;
    switch (type) {
    case ColType::Integer:
    case ColType::AutoInc:
        if (value.kind() == Kind::Integer)
            return value;
        if (value.kind() == Kind::Text && value.textPayload().empty())
            return Value();
        return Value::integer(toInteger(value, regional));
    case ColType::Real:
        if (value.kind() == Kind::Real)
            return value;
        if (value.kind() == Kind::Text && value.textPayload().empty())
            return Value();
        return Value::real(toReal(value, regional));
    case ColType::Text:
        if (value.kind() == Kind::Text)
            return value;
        return Value::text(core::textForm(value, regional));
    case ColType::Date:
        if (value.kind() == Kind::Text) {
            if (value.textPayload().empty())
                return Value();
            return Value::date(core::dateOf(parseDateText(value.textPayload(), regional)));
        }
        return Value::date(core::dateOf(toDateTime(value)));
    case ColType::Time:
        if (value.kind() == Kind::Text) {
            if (value.textPayload().empty())
                return Value();
            return Value::time(parseTimeText(value.textPayload(), regional));
        }
        return Value::time(core::timeOf(toDateTime(value)));
    case ColType::Boolean:
        if (value.kind() == Kind::Text && value.textPayload().empty())
            return Value();
        return Value::boolean(toBoolean(value));
    }
    return value;
}

} // namespace store
