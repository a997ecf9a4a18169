#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tervo {

class MacroRunner;
class Prompts;

// "Macro Editor": the macro text, Run / Stop / "Debug Mode", the Wait countdown, file Open and
// Save and the templates, over a MacroRunner. The line being handled is highlighted.
class frmMacro : public QWidget {
    Q_OBJECT
public:
    frmMacro(MacroRunner &runner, Prompts &prompts, QWidget *parent = nullptr);

    // The editor text with CR LF line ends, as a run and a file see it.
    QString macroText() const;
    void setMacroText(const QString &text);

    // The file the text was last opened from or saved to; empty for a new macro.
    QString macroPath() const { return m_path; }
    void setMacroPath(const QString &path);

    void OpenMacro();
    void SaveMacro();
    void insertTemplate(int index);

    QPlainTextEdit *txtMacro() const { return m_text; }
    QPushButton *cmdRun() const { return m_run; }
    QPushButton *cmdStop() const { return m_stop; }
    QCheckBox *chkDebugMode() const { return m_debug; }
    QLabel *lblStatus() const { return m_status; }
    // The run's log: the tracks its measurements replaced, and what the windows had to say about
    // the runs the macro started.
    QPlainTextEdit *txtLog() const { return m_log; }
    // The 0-based line highlighted as the one being handled; -1 for none.
    int highlightedLine() const { return m_highlighted; }

private:
    void highlight(int line);

    MacroRunner &m_runner;
    Prompts &m_prompts;
    QPlainTextEdit *m_text = nullptr;
    QPushButton *m_run = nullptr;
    QPushButton *m_stop = nullptr;
    QCheckBox *m_debug = nullptr;
    QLabel *m_status = nullptr;
    QPlainTextEdit *m_log = nullptr;
    int m_highlighted = -1;
    QString m_path;
};

} // namespace tervo
