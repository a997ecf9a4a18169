#pragma once

#include "core/Prompts.h"

#include <QPointer>
#include <QWidget>

namespace tervo {

// Message boxes, input boxes and file dialogs of Qt, parented to a window.
class QtPrompts : public Prompts {
public:
    void setParent(QWidget *parent) { m_parent = parent; }
    void message(const QString &text, const QString &title = QString()) override;
    bool askYesNo(const QString &text, const QString &title = QString()) override;
    bool askOkCancel(const QString &text, const QString &title = QString()) override;
    int choose(const QString &text, const QStringList &buttons,
               const QString &title = QString()) override;
    std::optional<QString> input(const QString &prompt, const QString &title,
                                 const QString &defaultText) override;
    QString openFileName(const QString &caption, const QString &filter) override;
    QString saveFileName(const QString &caption, const QString &filter) override;
    QString folderName(const QString &caption) override;

private:
    QPointer<QWidget> m_parent;
};

// The system clipboard of Qt.
class QtClipboard : public Clipboard {
public:
    QString text() const override;
    void setText(const QString &text) override;
    void setImage(const QImage &image) override;
    void clear() override;
};

} // namespace tervo
