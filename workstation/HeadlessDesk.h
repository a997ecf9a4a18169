#pragma once

#include "Workstation.h"
#include "core/Prompts.h"
#include "plot/Graph.h"

namespace tervo {

// Nobody sits at a console run: messages become lines on stderr, questions are answered No and
// dialogs cancelled.
class ConsolePrompts final : public Prompts {
public:
    void message(const QString &text, const QString &title = QString()) override;
    bool askYesNo(const QString &text, const QString &title = QString()) override;
    std::optional<QString> input(const QString &prompt, const QString &title,
                                 const QString &defaultText) override;
    QString openFileName(const QString &caption, const QString &filter) override;
    QString saveFileName(const QString &caption, const QString &filter) override;

    // The questions are printed too, so that the log says what was declined.
    bool echoQuestions = false;
    int messages = 0;
    QString last; // the latest message
};

// Text put on the clipboard stays here for whoever prints it; pictures are dropped.
class TextClipboard final : public Clipboard {
public:
    QString text() const override { return content; }
    void setText(const QString &text) override { content = text; }
    void setImage(const QImage &) override {}
    void clear() override { content.clear(); }

    QString content;
};

class NoSound final : public SoundPlayer {
public:
    void play(const QString &) override {}
};

// A workstation's desk without a display: the console, a text clipboard, no loudspeaker and two
// graphs that nobody sees.
struct HeadlessDesk {
    ConsolePrompts prompts;
    TextClipboard clipboard;
    NoSound sound;
    Graph monitor{clipboard};
    Graph result{clipboard};

    Desk desk(MsClock &clock) { return {clock, prompts, clipboard, sound, monitor, result}; }
};

// Prints to stderr as UTF-8 and ends the line.
void printError(const QString &text);

} // namespace tervo
