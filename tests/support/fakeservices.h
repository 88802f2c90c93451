#pragma once

#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/services.h"

namespace testsupport {

/// Window services that record what a command showed and answer from prepared lists.
/// A question with no prepared answer fails the test (and answers No).
class FakeServices : public core::WindowServices {
public:
    std::deque<bool> answers;
    bool answerAllYes = false;
    std::deque<std::optional<std::filesystem::path>> openFiles;
    std::deque<std::optional<std::filesystem::path>> saveFiles;

    std::vector<std::string> questions;
    std::vector<std::string> messages;
    std::vector<std::string> result; ///< the "Result" log as it stands
    std::vector<std::string> pages;
    std::vector<std::string> openTitles;
    std::vector<SaveDialog> saveDialogs;
    std::vector<std::string> maps;
    std::string caption = core::kProgressRest;
    int minimum = 0;
    int maximum = 0;
    int position = 0;
    int steps = 0;
    int repaints = 0;
    int fieldChanges = 0;
    bool closed = false;

    bool question(const std::string& text) override;
    void message(const std::string& text) override { messages.push_back(text); }
    void setProgressCaption(const std::string& text) override { caption = text; }
    void setProgressRange(int min, int max, int) override
    {
        minimum = min;
        maximum = max;
    }
    void setProgressPosition(int pos) override { position = pos; }
    void stepProgress() override
    {
        ++position;
        ++steps;
    }
    void repaint() override { ++repaints; }
    void clearResult() override { result.clear(); }
    void appendResult(const std::string& line) override { result.push_back(line); }
    void showPage(const std::string& name) override { pages.push_back(name); }
    std::optional<std::filesystem::path> openFile(const std::string& title) override;
    std::optional<std::filesystem::path> saveFile(SaveDialog dialog) override;
    void fieldsChanged() override { ++fieldChanges; }
    void showMap(const std::string& url) override { maps.push_back(url); }
    void closeWindow() override { closed = true; }
};

} // namespace testsupport
