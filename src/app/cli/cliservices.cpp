#include "app/cli/cliservices.h"

#include <algorithm>

namespace app {

bool CliServices::question(const std::string& text)
{
    endBar();
    bool yes = true;
    if (!answerAllYes) {
        if (answers.empty()) {
            out_ << "question: " << text << " -> no answer left" << std::endl;
            throw NoAnswerLeft{text};
        }
        yes = answers.front();
        answers.pop_front();
    }
    out_ << "question: " << text << " -> " << (yes ? "Yes" : "No") << std::endl;
    return yes;
}

void CliServices::message(const std::string& text)
{
    endBar();
    out_ << "message: " << text << std::endl;
}

void CliServices::appendResult(const std::string& line)
{
    endBar();
    out_ << "result: " << line << std::endl;
}

void CliServices::showPage(const std::string& name)
{
    endBar();
    out_ << "page: " << name << std::endl;
}

void CliServices::showMap(const std::string& url)
{
    endBar();
    out_ << "map: " << url << std::endl;
}

std::optional<std::filesystem::path> CliServices::openFile(const std::string&)
{
    if (openFiles.empty())
        return std::nullopt;
    auto f = openFiles.front();
    openFiles.pop_front();
    return f;
}

std::optional<std::filesystem::path> CliServices::saveFile(SaveDialog kind)
{
    if (saveFiles.empty())
        return std::nullopt;
    auto f = saveFiles.front();
    saveFiles.pop_front();
    // As the save dialog does: a name typed without an extension gets the default one.
    if (!f.filename().empty() && !f.has_extension())
        f += std::string(".") + defaultExtension(kind);
    return f;
}

void CliServices::setProgressCaption(const std::string& text)
{
    if (text == caption_)
        return;
    caption_ = text;
    if (text == core::kProgressRest) {
        endBar();
        return;
    }
    if (!tty_)
        err_ << text << std::endl;
    drawBar(true);
}

void CliServices::setProgressRange(int minimum, int maximum, int step)
{
    min_ = minimum;
    max_ = std::max(minimum, maximum);
    step_ = step;
    drawBar(true);
}

void CliServices::setProgressPosition(int position)
{
    pos_ = position;
    drawBar(false);
}

void CliServices::stepProgress()
{
    pos_ = std::min(max_, pos_ + step_);
    drawBar(false);
}

void CliServices::repaint() {}

void CliServices::drawBar(bool force)
{
    if (!tty_ || caption_ == core::kProgressRest)
        return;
    const int span = std::max(1, max_ - min_);
    const int percent = std::clamp((pos_ - min_) * 100 / span, 0, 100);
    if (!force && percent == drawnPercent_)
        return;
    drawnPercent_ = percent;
    const int filled = percent * 30 / 100;
    err_ << "\r" << caption_ << " [" << std::string(static_cast<std::size_t>(filled), '#')
         << std::string(static_cast<std::size_t>(30 - filled), ' ') << "] " << percent << "%" << std::flush;
    barShown_ = true;
}

void CliServices::endBar()
{
    if (barShown_) {
        err_ << "\n" << std::flush;
        barShown_ = false;
    }
    drawnPercent_ = -1;
}

} // namespace app
