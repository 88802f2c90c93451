#pragma once

#include <QAbstractFileIconProvider>

namespace window {

/// Icons and type names for the file dialogs that never open a file. Qt's own provider
/// reads the first bytes of every listed file to guess its type; in the program's folder that
/// opens and closes tallix.db and its -wal and -shm files, and closing any descriptor of a
/// file drops every POSIX lock the process holds on it, SQLite's included. This one decides
/// by the name and by stat() alone.
class NameOnlyIconProvider : public QAbstractFileIconProvider {
public:
    QIcon icon(IconType type) const override;
    QIcon icon(const QFileInfo& info) const override;
    QString type(const QFileInfo& info) const override;
};

} // namespace window
