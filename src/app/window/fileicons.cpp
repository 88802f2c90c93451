#include "app/window/fileicons.h"

#include <QApplication>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QStyle>

namespace window {

QIcon NameOnlyIconProvider::icon(IconType type) const
{
    QStyle* style = QApplication::style();
    switch (type) {
    case Computer: return style->standardIcon(QStyle::SP_ComputerIcon);
    case Desktop: return style->standardIcon(QStyle::SP_DesktopIcon);
    case Trashcan: return style->standardIcon(QStyle::SP_TrashIcon);
    case Network: return style->standardIcon(QStyle::SP_DriveNetIcon);
    case Drive: return style->standardIcon(QStyle::SP_DriveHDIcon);
    case Folder: return style->standardIcon(QStyle::SP_DirIcon);
    case File: break;
    }
    return style->standardIcon(QStyle::SP_FileIcon);
}

QIcon NameOnlyIconProvider::icon(const QFileInfo& info) const
{
    if (info.isRoot())
        return icon(Drive);
    return icon(info.isDir() ? Folder : File);
}

QString NameOnlyIconProvider::type(const QFileInfo& info) const
{
    if (info.isRoot())
        return QApplication::translate("QFileDialog", "Drive");
    if (info.isDir())
        return QApplication::translate("QFileDialog", "Folder");
    // By the name only: MatchExtension never reads the file.
    const QMimeType mime = QMimeDatabase().mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension);
    if (!mime.isDefault())
        return mime.comment();
    const QString suffix = info.suffix();
    return suffix.isEmpty() ? QApplication::translate("QFileDialog", "File")
                            : QApplication::translate("QFileDialog", "%1 File").arg(suffix);
}

} // namespace window
