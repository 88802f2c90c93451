#pragma once

#include <deque>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

#include "core/services.h"

namespace app {

/// A question for which the run was given no answer: the run ends with exit code 3.
struct NoAnswerLeft {
    std::string question;
};

/// The window's services for the runner: what the window would show goes to standard output
/// one line each; progress goes to standard error, as a bar when that is a terminal.
class CliServices : public core::WindowServices {
public:
    CliServices(std::ostream& out, std::ostream& err, bool errIsTerminal) : out_(out), err_(err), tty_(errIsTerminal) {}

    bool answerAllYes = false;
    std::deque<bool> answers;
    std::deque<std::filesystem::path> openFiles;
    std::deque<std::filesystem::path> saveFiles;
    bool closeRequested = false;

    bool question(const std::string& text) override;
    void message(const std::string& text) override;
    void setProgressCaption(const std::string& text) override;
    void setProgressRange(int minimum, int maximum, int step) override;
    void setProgressPosition(int position) override;
    void stepProgress() override;
    void repaint() override;
    void clearResult() override {}
    void appendResult(const std::string& line) override;
    void showPage(const std::string& name) override;
    std::optional<std::filesystem::path> openFile(const std::string& title) override;
    std::optional<std::filesystem::path> saveFile(SaveDialog dialog) override;
    void fieldsChanged() override {}
    void showMap(const std::string& url) override;
    void closeWindow() override { closeRequested = true; }

private:
    void drawBar(bool force);
    void endBar();

    std::ostream& out_;
    std::ostream& err_;
    bool tty_;
    std::string caption_ = core::kProgressRest;
    int min_ = 0;
    int max_ = 100;
    int step_ = 1;
    int pos_ = 0;
    int drawnPercent_ = -1;
    bool barShown_ = false;
};

} // namespace app
