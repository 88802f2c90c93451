#pragma once

#include <QWidget>
#include <functional>

namespace store {
class Cursor;
}

namespace window {

/// A record navigator: first, prior, next, last, insert, delete, edit, post, cancel and
/// refresh on one cursor.
class RecordNavigator : public QWidget {
    Q_OBJECT
public:
    RecordNavigator(store::Cursor& cursor, QWidget* parent = nullptr);

signals:
    void failed(const QString& text);

private:
    void act(const std::function<void()>& action);
    store::Cursor& cursor_;
};

} // namespace window
