#include "QtPrompts.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace tervo {

namespace {
QString titleOr(const QString &t)
{
    return t.isEmpty() ? QStringLiteral("TERVO") : t;
}
} // namespace

void QtPrompts::message(const QString &text, const QString &title)
{
    QMessageBox::information(m_parent, titleOr(title), text);
}

bool QtPrompts::askYesNo(const QString &text, const QString &title)
{
    return QMessageBox::question(m_parent, titleOr(title), text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

bool QtPrompts::askOkCancel(const QString &text, const QString &title)
{
    return QMessageBox::question(m_parent, titleOr(title), text,
                                 QMessageBox::Ok | QMessageBox::Cancel) == QMessageBox::Ok;
}

std::optional<QString> QtPrompts::input(const QString &prompt, const QString &title,
                                        const QString &defaultText)
{
    bool ok = false;
    QString t = QInputDialog::getText(m_parent, titleOr(title), prompt, QLineEdit::Normal,
                                      defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return t;
}

QString QtPrompts::openFileName(const QString &caption, const QString &filter)
{
    return QFileDialog::getOpenFileName(m_parent, caption, QString(), filter);
}

QString QtPrompts::saveFileName(const QString &caption, const QString &filter)
{
    // The program applies its own ".tvd" rule and asks no overwrite question of its own.
    return QFileDialog::getSaveFileName(m_parent, caption, QString(), filter);
}

int QtPrompts::choose(const QString &text, const QStringList &buttons, const QString &title)
{
    QMessageBox box(QMessageBox::Question, titleOr(title), text, QMessageBox::NoButton, m_parent);
    QList<QAbstractButton *> added;
    for (const QString &caption : buttons)
        added << box.addButton(caption,
                               added.isEmpty() ? QMessageBox::AcceptRole : QMessageBox::ActionRole);
    // Escape and the close box dismiss the question.
    box.setEscapeButton(static_cast<QAbstractButton *>(nullptr));
    box.exec();
    return static_cast<int>(added.indexOf(box.clickedButton()));
}

QString QtPrompts::folderName(const QString &caption)
{
    return QFileDialog::getExistingDirectory(m_parent, caption);
}

QString QtClipboard::text() const
{
    return QApplication::clipboard()->text();
}
void QtClipboard::setText(const QString &text)
{
    QApplication::clipboard()->setText(text);
}
void QtClipboard::setImage(const QImage &image)
{
    QApplication::clipboard()->setImage(image);
}
void QtClipboard::clear()
{
    QApplication::clipboard()->clear();
}

} // namespace tervo
