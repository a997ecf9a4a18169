#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <deque>
#include <optional>

namespace tervo {

// Message boxes, input boxes and file dialogs as the logic sees them. The windows hand in a
// Qt implementation; tests hand in ScriptedPrompts.
class Prompts {
public:
    virtual ~Prompts() = default;
    // A modal message with an OK button.
    virtual void message(const QString &text, const QString &title = QString()) = 0;
    // A Yes/No question; true for Yes.
    virtual bool askYesNo(const QString &text, const QString &title = QString()) = 0;
    // An OK/Cancel confirmation; true for OK. Scripted prompts answer it like a Yes/No question.
    virtual bool askOkCancel(const QString &text, const QString &title = QString())
    {
        return askYesNo(text, title);
    }
    // An input box; nothing when cancelled.
    virtual std::optional<QString> input(const QString &prompt, const QString &title,
                                         const QString &defaultText) = 0;
    // Standard file dialogs; an empty text when cancelled.
    virtual QString openFileName(const QString &caption, const QString &filter) = 0;
    virtual QString saveFileName(const QString &caption, const QString &filter) = 0;
};

// Prompts answered from queues; every message shown is recorded. An empty queue answers No,
// cancels the input box and cancels the dialogs.
class ScriptedPrompts : public Prompts {
public:
    QStringList messages;
    QStringList questions;
    std::deque<bool> yesNoAnswers;
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

// The system clipboard: text in and out, a bitmap out.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual QString text() const = 0;
    virtual void setText(const QString &text) = 0;
    virtual void setImage(const QImage &image) = 0;
    virtual void clear() = 0;
};

// A clipboard held in memory, for tests and for running without a display.
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

// Asynchronous playback of a wave file; an empty or missing file plays nothing.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void play(const QString &path) = 0;
};

class SilentSoundPlayer : public SoundPlayer {
public:
    QStringList played;
    void play(const QString &path) override { played << path; }
};

} // namespace tervo
