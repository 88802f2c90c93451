#include "core/csvline.h"

namespace core {

LineCursor::Quoted LineCursor::readQuoted() const
{
    Quoted q;
    std::size_t i = pos_ + 1;
    while (i < line_.size()) {
        if (line_[i] == '"') {
            if (i + 1 < line_.size() && line_[i + 1] == '"') {
                q.text += '"';
                i += 2;
                continue;
            }
            q.closed = true;
            q.end = i + 1;
            return q;
        }
        q.text += line_[i++];
    }
    q.end = line_.size();
    return q;
}

std::optional<std::string> LineCursor::tryField()
{
    if (rules_.quotedFields && pos_ < line_.size() && line_[pos_] == '"') {
        Quoted q = readQuoted();
        if (q.closed && q.end == line_.size())
            return std::nullopt; // the separators inside the quotes must not end it early
        if (q.closed && line_[q.end] == rules_.separator) {
            pos_ = q.end + 1;
            return std::move(q.text);
        }
    }
    const std::size_t sep = line_.find(rules_.separator, pos_);
    if (sep == std::string_view::npos)
        return std::nullopt;
    std::string out(line_.substr(pos_, sep - pos_));
    pos_ = sep + 1;
    return out;
}

std::string LineCursor::fixed(std::size_t n)
{
    if (pos_ >= line_.size())
        return {};
    std::string out(line_.substr(pos_, n));
    pos_ += out.size();
    return out;
}

void LineCursor::skip()
{
    if (pos_ < line_.size())
        ++pos_;
}

std::string LineCursor::rest()
{
    if (pos_ >= line_.size())
        return {};
    if (rules_.quotedFields && line_[pos_] == '"') {
        Quoted q = readQuoted();
        if (q.closed && q.end == line_.size()) {
            pos_ = line_.size();
            return std::move(q.text);
        }
    }
    std::string out(line_.substr(pos_));
    pos_ = line_.size();
    return out;
}

std::vector<std::string> splitLine(std::string_view line, const LineRules& rules)
{
    std::vector<std::string> fields;
    LineCursor cursor(line, rules);
    while (std::optional<std::string> f = cursor.tryField())
        fields.push_back(std::move(*f));
    fields.push_back(cursor.rest());
    return fields;
}

} // namespace core
