#include "frmMacro.h"
#include "LineNumberedEdit.h"

#include "core/Prompts.h"
#include "macro/MacroLanguage.h"
#include "macro/MacroRunner.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QVBoxLayout>

namespace tervo {

namespace {

const QString kFilter = QStringLiteral("Macro (*.tvm);;All files (*)");

QString editorForm(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

} // namespace

frmMacro::frmMacro(MacroRunner &runner, Prompts &prompts, QWidget *parent)
    : QWidget(parent, Qt::Window), m_runner(runner), m_prompts(prompts)
{
    setObjectName(QStringLiteral("frmMacro"));
    setWindowTitle(QStringLiteral("Macro Editor"));
    auto *outer = new QVBoxLayout(this);
    auto *bar = new QMenuBar(this);
    outer->setMenuBar(bar);
    QMenu *file = bar->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("File_Acc"));
    file->addAction(QStringLiteral("Open"), this, &frmMacro::OpenMacro)
        ->setObjectName(QStringLiteral("OpenMacro"));
    file->addAction(QStringLiteral("Save"), this, &frmMacro::SaveMacro)
        ->setObjectName(QStringLiteral("SaveMacro"));
    QMenu *templates = bar->addMenu(QStringLiteral("Template"));
    templates->setObjectName(QStringLiteral("Template_Acc"));
    const char *const names[] = {"CV_Acc",     "RRDE_Acc", "PSTime_Acc", "PSCoulomb_Acc",
                                 "RPMvsi_Acc", "SSV_Acc",  "Mail_Acc"};
    const QStringList captions = macroTemplateCaptions();
    for (int i = 0; i < captions.size(); ++i)
        templates->addAction(captions[i], this, [this, i] { insertTemplate(i); })
            ->setObjectName(QString::fromLatin1(names[i]));

    auto *row = new QHBoxLayout;
    m_text = new LineNumberedEdit(this);
    m_text->setObjectName(QStringLiteral("txtMacro"));
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setFont(QFont(QStringLiteral("Monospace")));
    row->addWidget(m_text, 1);
    auto *buttons = new QVBoxLayout;
    m_run = new QPushButton(QStringLiteral("Run"), this);
    m_run->setObjectName(QStringLiteral("cmdRun"));
    m_stop = new QPushButton(QStringLiteral("Stop"), this);
    m_stop->setObjectName(QStringLiteral("cmdStop"));
    m_debug = new QCheckBox(QStringLiteral("Debug Mode"), this);
    m_debug->setObjectName(QStringLiteral("chkDebugMode"));
    buttons->addWidget(m_run);
    buttons->addWidget(m_stop);
    buttons->addWidget(m_debug);
    buttons->addStretch();
    row->addLayout(buttons);
    outer->addLayout(row);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    outer->addWidget(m_status);
    m_log = new QPlainTextEdit(this);
    m_log->setObjectName(QStringLiteral("txtLog"));
    m_log->setReadOnly(true);
    m_log->setMaximumHeight(80);
    outer->addWidget(m_log);
    resize(520, 420);

    connect(m_run, &QPushButton::clicked, this, [this] {
        m_status->clear();
        m_log->clear();
        highlight(-1);
        m_runner.run(macroText());
    });
    connect(m_stop, &QPushButton::clicked, &m_runner, &MacroRunner::stop);
    connect(m_debug, &QCheckBox::toggled, this, [this](bool on) { m_runner.setDebugMode(on); });
    connect(&m_runner, &MacroRunner::runningChanged, this,
            [this](bool running) { m_run->setEnabled(!running); });
    connect(&m_runner, &MacroRunner::statusChanged, m_status, &QLabel::setText);
    connect(&m_runner, &MacroRunner::logged, m_log, &QPlainTextEdit::appendPlainText);
    connect(&m_runner, &MacroRunner::lineStarted, this, [this](int line) { highlight(line); });
    m_run->setEnabled(!m_runner.isRunning());
}

QString frmMacro::macroText() const
{
    return m_text->toPlainText().replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
}

void frmMacro::setMacroText(const QString &text)
{
    m_text->setPlainText(editorForm(text));
}

void frmMacro::OpenMacro()
{
    const QString path = m_prompts.openFileName(QStringLiteral("Open"), kFilter);
    QString text;
    // A cancelled dialog or a file that cannot be read leaves the editor as it is.
    if (path.isEmpty() || !loadMacroFile(path, text))
        return;
    setMacroText(text);
    setMacroPath(path);
}

void frmMacro::SaveMacro()
{
    const QString chosen = m_prompts.saveFileName(QStringLiteral("Save"), kFilter);
    if (chosen.isEmpty())
        return;
    QString error;
    const QString path = macroFileName(chosen);
    if (!saveMacroFile(path, macroText(), &error)) {
        m_prompts.message(path + QStringLiteral(": ") + error);
        return;
    }
    setMacroPath(path);
}

void frmMacro::setMacroPath(const QString &path)
{
    m_path = path;
    // File.Save names its file relative to the macro's own folder.
    m_runner.setMacroFolder(path.isEmpty() ? QString() : QFileInfo(path).absolutePath());
}

void frmMacro::insertTemplate(int index)
{
    m_text->insertPlainText(editorForm(macroTemplateText(static_cast<MacroTemplate>(index))));
}

void frmMacro::highlight(int line)
{
    m_highlighted = line;
    QList<QTextEdit::ExtraSelection> selections;
    const QTextBlock block = m_text->document()->findBlockByNumber(line);
    if (line >= 0 && block.isValid()) {
        QTextEdit::ExtraSelection s;
        s.format.setBackground(QColor(255, 255, 160));
        s.format.setProperty(QTextFormat::FullWidthSelection, true);
        s.cursor = QTextCursor(block);
        selections << s;
    }
    m_text->setExtraSelections(selections);
}

} // namespace tervo
