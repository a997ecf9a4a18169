#pragma once

#include <QDir>
#include <QString>

class QFileSystemModel;
class QLineEdit;
class QTreeView;
class QWidget;

namespace tervo {

// The drive, folder and file lists as one Qt chooser: a tree over the file system (folders only,
// or folders and files) with the chosen path in an editable line; Enter in the line goes there.
struct FileChooser {
    QTreeView *tree = nullptr;
    QLineEdit *path = nullptr;
    QFileSystemModel *model = nullptr;
};

FileChooser makeFileChooser(QWidget *parent, QDir::Filters filters, const QString &startFolder);

// Makes path the chooser's current entry, unfolding the folders above it.
void goTo(const FileChooser &chooser, const QString &path);

} // namespace tervo
