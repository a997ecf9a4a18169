#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <optional>

namespace tervo {

// Message boxes, input boxes and file dialogs as the logic sees them. The windows hand in a
// Qt implementation; tests hand in scripted ones.
class Prompts {
public:
    virtual ~Prompts() = default;
    // A modal message with an OK button.
    virtual void message(const QString &text, const QString &title = QString()) = 0;
    // A Yes/No question; true for Yes.
    virtual bool askYesNo(const QString &text, const QString &title = QString()) = 0;
    // An OK/Cancel confirmation; true for OK, answered like a Yes/No question unless overridden.
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
    // A question answered by one of several buttons; the index of the button, or -1 when the
    // question was dismissed. Nobody to ask dismisses it.
    virtual int choose(const QString &text, const QStringList &buttons,
                       const QString &title = QString())
    {
        (void)text, (void)buttons, (void)title;
        return -1;
    }
    // A folder dialog; an empty text when cancelled.
    virtual QString folderName(const QString &caption)
    {
        (void)caption;
        return QString();
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

// Asynchronous playback of a wave file; an empty or missing file plays nothing.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    virtual void play(const QString &path) = 0;
};

} // namespace tervo
