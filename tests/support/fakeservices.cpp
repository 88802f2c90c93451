#include "support/fakeservices.h"

#include <gtest/gtest.h>

namespace testsupport {

bool FakeServices::question(const std::string& text)
{
    questions.push_back(text);
    if (answerAllYes)
        return true;
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << text;
        return false;
    }
    const bool yes = answers.front();
    answers.pop_front();
    return yes;
}

std::optional<std::filesystem::path> FakeServices::openFile(const std::string& title)
{
    openTitles.push_back(title);
    if (openFiles.empty())
        return std::nullopt;
    auto f = openFiles.front();
    openFiles.pop_front();
    return f;
}

std::optional<std::filesystem::path> FakeServices::saveFile(SaveDialog dialog)
{
    saveDialogs.push_back(dialog);
    if (saveFiles.empty())
        return std::nullopt;
    auto f = saveFiles.front();
    saveFiles.pop_front();
    return f;
}

} // namespace testsupport
