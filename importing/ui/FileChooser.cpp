#include "FileChooser.h"

#include <QFileSystemModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QTreeView>
#include <memory>

namespace tervo {

FileChooser makeFileChooser(QWidget *parent, QDir::Filters filters, const QString &startFolder)
{
    FileChooser c;
    c.model = new QFileSystemModel(parent);
    c.model->setFilter(filters | QDir::NoDotAndDotDot);
    c.model->setRootPath(QDir::rootPath());
    c.tree = new QTreeView(parent);
    c.tree->setModel(c.model);
    for (int col = 1; col < c.model->columnCount(); ++col)
        c.tree->hideColumn(col);
    c.tree->header()->hide();
    c.tree->setMinimumWidth(220);
    c.path = new QLineEdit(parent);
    QObject::connect(c.path, &QLineEdit::returnPressed, c.tree,
                     [c] { goTo(c, QDir::fromNativeSeparators(c.path->text().trimmed())); });
    QObject::connect(c.tree->selectionModel(), &QItemSelectionModel::currentChanged, c.path,
                     [c](const QModelIndex &current) {
                         c.path->setText(QDir::toNativeSeparators(c.model->filePath(current)));
                     });
    goTo(c, startFolder);
    // The model reads folders in the background: the start folder comes into view once its
    // parent has been read.
    auto once = std::make_shared<QMetaObject::Connection>();
    *once = QObject::connect(c.model, &QFileSystemModel::directoryLoaded, c.tree,
                             [c, once](const QString &loaded) {
                                 const QModelIndex current = c.tree->currentIndex();
                                 if (c.model->filePath(current.parent()) != loaded)
                                     return;
                                 c.tree->scrollTo(current);
                                 QObject::disconnect(*once);
                             });
    return c;
}

void goTo(const FileChooser &chooser, const QString &path)
{
    const QModelIndex index = chooser.model->index(path);
    if (!index.isValid())
        return;
    chooser.tree->setCurrentIndex(index);
    chooser.tree->scrollTo(index);
}

} // namespace tervo
