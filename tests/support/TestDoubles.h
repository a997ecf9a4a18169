#pragma once

#include "core/Prompts.h"
#include "core/SecretStore.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QString>
#include <QStringList>
#include <deque>
#include <optional>

namespace tervo {

// The bytes of a file; empty when it cannot be read.
inline QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Test doubles of the interfaces through which the logic reaches the operator and the desktop.

// Prompts answered from queues; every message shown is recorded. An empty queue answers No,
// closes a choice without one, cancels the input box and cancels the dialogs.
class ScriptedPrompts : public Prompts {
public:
    QStringList messages;
    QStringList questions;
    std::deque<bool> yesNoAnswers;
    std::deque<int> choiceAnswers;    // the index of the button pressed; -1 dismisses
    QList<QStringList> choiceButtons; // the buttons of every choice asked
    std::deque<QString> inputAnswers; // a null QString cancels the box
    std::deque<QString> fileAnswers;

    void message(const QString &text, const QString & = QString()) override { messages << text; }
    bool askYesNo(const QString &text, const QString & = QString()) override
    {
        questions << text;
        if (yesNoAnswers.empty())
            return false;
        bool a = yesNoAnswers.front();
        yesNoAnswers.pop_front();
        return a;
    }
    int choose(const QString &text, const QStringList &buttons,
               const QString & = QString()) override
    {
        questions << text;
        choiceButtons << buttons;
        if (choiceAnswers.empty())
            return -1;
        const int a = choiceAnswers.front();
        choiceAnswers.pop_front();
        return a;
    }
    std::optional<QString> input(const QString &prompt, const QString &, const QString &) override
    {
        questions << prompt;
        if (inputAnswers.empty())
            return std::nullopt;
        const QString a = inputAnswers.front();
        inputAnswers.pop_front();
        if (a.isNull())
            return std::nullopt;
        return a;
    }
    QString openFileName(const QString &, const QString &) override { return nextFile(); }
    QString saveFileName(const QString &, const QString &) override { return nextFile(); }
    QString folderName(const QString &) override { return nextFile(); }

private:
    QString nextFile()
    {
        if (fileAnswers.empty())
            return QString();
        QString a = fileAnswers.front();
        fileAnswers.pop_front();
        return a;
    }
};

// A clipboard held in memory.
class MemoryClipboard : public Clipboard {
public:
    QString content;
    QImage image;
    QString text() const override { return content; }
    void setText(const QString &t) override { content = t; }
    void setImage(const QImage &i) override { image = i; }
    void clear() override
    {
        content.clear();
        image = QImage();
    }
};

// Plays nothing; records what it was asked to play.
class SilentSoundPlayer : public SoundPlayer {
public:
    QStringList played;
    void play(const QString &path) override { played << path; }
};

// Secrets in memory, like a desktop secret service; a failure text makes every access fail.
class MemorySecretStore : public SecretStore {
public:
    QMap<QString, QString> secrets;
    QString failWith;
    bool readSecret(const QString &key, QString &secret, QString &error) override
    {
        if (!failWith.isEmpty()) {
            error = failWith;
            return false;
        }
        secret = secrets.value(key);
        return true;
    }
    bool writeSecret(const QString &key, const QString &secret, QString &error) override
    {
        if (!failWith.isEmpty()) {
            error = failWith;
            return false;
        }
        if (secret.isEmpty())
            secrets.remove(key);
        else
            secrets.insert(key, secret);
        return true;
    }
};

} // namespace tervo
