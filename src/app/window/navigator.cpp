#include "app/window/navigator.h"

#include <QHBoxLayout>
#include <QMessageBox>
#include <QToolButton>

#include "store/cursor.h"

namespace window {

RecordNavigator::RecordNavigator(store::Cursor& cursor, QWidget* parent) : QWidget(parent), cursor_(cursor)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    struct Button {
        const char* text;
        const char* hint;
        std::function<void()> action;
    };
    const Button buttons[] = {
        {"|<", "First record", [this] { cursor_.first(); }},
        {"<", "Prior record", [this] { cursor_.prior(); }},
        {">", "Next record", [this] { cursor_.next(); }},
        {">|", "Last record", [this] { cursor_.last(); }},
        {"+", "Insert record", [this] { cursor_.append(); }},
        {"-", "Delete record",
         [this] {
             if (cursor_.recordCount() == 0 && cursor_.state() != store::Cursor::State::Insert)
                 return;
             if (QMessageBox::question(this, window()->windowTitle(), "Delete record?") == QMessageBox::Yes)
                 cursor_.remove();
         }},
        {"Edit", "Edit record", [this] { cursor_.edit(); }},
        {"Post", "Post edit", [this] { cursor_.post(); }},
        {"Cancel", "Cancel edit", [this] { cursor_.cancel(); }},
        {"Refresh", "Refresh data", [this] { cursor_.refresh(); }},
    };
    for (const Button& b : buttons) {
        auto* button = new QToolButton(this);
        button->setText(b.text);
        button->setToolTip(b.hint);
        button->setAccessibleName(b.hint);
        button->setMinimumWidth(28);
        connect(button, &QToolButton::clicked, this, [this, action = b.action] { act(action); });
        layout->addWidget(button);
    }
    layout->addStretch();
}

void RecordNavigator::act(const std::function<void()>& action)
{
    if (!cursor_.isOpen())
        return;
    try {
        action();
    } catch (const std::exception& e) {
        emit failed(QString::fromUtf8(e.what()));
    }
}

} // namespace window
