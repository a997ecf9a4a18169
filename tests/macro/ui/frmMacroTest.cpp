#include "macro/ui/frmMacro.h"
#include "macro/MacroRunner.h"
#include "macro/ui/LineNumberedEdit.h"
#include "measure/CVModel.h"
#include "measure/MeasureRig.h"
#include "measure/ui/frmMeasureCV.h"
#include "support/TestDoubles.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextBlock>
#include <gtest/gtest.h>

using namespace tervo;

namespace {

// Lives until the process ends: tearing the GUI down among the static destructors crashes.
void app()
{
    static int argc = 1;
    static char name[] = "macro_ui_tests";
    static char *argv[] = {name, nullptr};
    static QApplication *a = new QApplication(argc, argv);
    (void)a;
}

struct Editor {
    bool ready = (app(), true);
    MeasureRig rig;
    CVModel cv{*rig.context};
    ScriptedPrompts prompts;
    std::unique_ptr<MacroRunner> runner;
    std::unique_ptr<frmMacro> window;

    Editor()
    {
        MacroEnvironment env{*rig.app, *rig.instruments, rig.sound};
        env.cv = &cv;
        runner = std::make_unique<MacroRunner>(env);
        window = std::make_unique<frmMacro>(*runner, prompts);
    }
};

} // namespace

TEST(frmMacro, TemplatesReplaceTheSelectionAtTheCaret)
{
    Editor e;
    e.window->setMacroText("Wait 10\r\nXX\r\nMotor.Off");
    QTextCursor c(e.window->txtMacro()->document()->findBlockByNumber(1));
    c.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    c.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    e.window->txtMacro()->setTextCursor(c);
    e.window->insertTemplate(static_cast<int>(MacroTemplate::Mail));
    EXPECT_EQ(e.window->macroText(),
              "Wait 10\r\n" + macroTemplateText(MacroTemplate::Mail) + "Motor.Off");
}

TEST(frmMacro, RunHighlightsTheLineAndCountsTheWaitDownUntilStop)
{
    Editor e;
    e.window->setMacroText("CV.Title first\r\nWait 5000\r\nCV.Title second");
    e.window->cmdRun()->click();
    EXPECT_FALSE(e.window->cmdRun()->isEnabled());
    EXPECT_EQ(e.window->highlightedLine(), 1);
    EXPECT_EQ(e.cv.titleField, "first");
    e.rig.clock.advance(1200);
    e.runner->waitTick();
    EXPECT_EQ(e.window->lblStatus()->text(), "3800remain");
    e.window->cmdStop()->click();
    EXPECT_TRUE(e.window->cmdRun()->isEnabled());
    EXPECT_EQ(e.cv.titleField, "first");
    EXPECT_FALSE(e.rig.app->MeasurementRunning);
}

TEST(frmMacro, DebugModeFollowsTheCheckBox)
{
    Editor e;
    e.window->chkDebugMode()->setChecked(true);
    e.window->setMacroText("Wait 60000\r\nCV.Title dry");
    e.window->cmdRun()->click();
    EXPECT_TRUE(e.window->cmdRun()->isEnabled());
    EXPECT_EQ(e.cv.titleField, "dry");
}

TEST(frmMacro, SaveAddsTheExtensionAndOpenReadsItBack)
{
    Editor e;
    QTemporaryDir dir;
    e.window->setMacroText("CVMeasureMode\r\nCV.Start");
    e.prompts.fileAnswers = {dir.filePath("series"), dir.filePath("series.tvm"), QString()};
    e.window->SaveMacro();
    ASSERT_TRUE(QFile::exists(dir.filePath("series.tvm")));
    e.window->setMacroText("other");
    e.window->OpenMacro();
    EXPECT_EQ(e.window->macroText(), "CVMeasureMode\r\nCV.Start\r\n");
    // A cancelled dialog leaves the editor alone.
    e.window->OpenMacro();
    EXPECT_EQ(e.window->macroText(), "CVMeasureMode\r\nCV.Start\r\n");
}

// File.Save names its file relative to the folder the macro was opened from or saved to.
TEST(frmMacro, TheMacrosFolderGoesToTheRunner)
{
    Editor e;
    QTemporaryDir saveDir, openDir;
    EXPECT_TRUE(e.runner->macroFolder().isEmpty());
    e.window->setMacroText("Wait 0");
    e.prompts.fileAnswers = {saveDir.filePath("series")};
    e.window->SaveMacro();
    EXPECT_EQ(e.window->macroPath(), saveDir.filePath("series.tvm"));
    EXPECT_EQ(e.runner->macroFolder(), saveDir.path());
    ASSERT_TRUE(QFile::copy(saveDir.filePath("series.tvm"), openDir.filePath("copy.tvm")));
    e.prompts.fileAnswers = {openDir.filePath("copy.tvm")};
    e.window->OpenMacro();
    EXPECT_EQ(e.runner->macroFolder(), openDir.path());
}

TEST(frmMacro, TheEditorNumbersItsLinesInAGutter)
{
    Editor e;
    e.window->show();
    e.window->setMacroText("CVMeasureMode\r\n    CV.Start\r\nCV.END");
    QApplication::processEvents();
    auto *editor = qobject_cast<LineNumberedEdit *>(e.window->txtMacro());
    ASSERT_NE(editor, nullptr);
    QWidget *gutter = editor->lineNumberArea();
    ASSERT_NE(gutter, nullptr);
    EXPECT_TRUE(gutter->isVisible());
    EXPECT_GT(gutter->width(), 0);
    // The text starts right of the gutter.
    EXPECT_GE(editor->viewport()->geometry().left(), gutter->geometry().right());
    EXPECT_EQ(editor->visibleLineNumbers(), (QStringList{"1", "2", "3"}));
}

// In the program a line's window is shown (MeasureMode) or loaded (the other lines), and the
// operation, the runner and the window's showing each would load it: a board that will not open
// is one box per line all the same.
TEST(frmMacro, AWindowWhoseBoardFailsIsOneBoxPerLine)
{
    app();
    MeasureRig rig;
    rig.app->settings.ADBoard = 1;
    rig.rig->aio().deviceName = QStringLiteral("AIO09");
    CVModel cv(*rig.context);
    cv.setTimerDriven(false);
    frmMeasureCV view(cv);
    MacroEnvironment env{*rig.app, *rig.instruments, rig.sound};
    env.cv = &cv;
    env.showWindow = [&view](MeasurementModel &) { view.show(); };
    MacroRunner runner(env);
    runner.run(QStringLiteral("CVMeasureMode\r\nCV.Title a\r\nCV.Start"));
    QApplication::processEvents();
    EXPECT_EQ(rig.prompts.messages, QStringList(3, QStringLiteral("AD Board Trouble!")));
    EXPECT_FALSE(view.isVisible());
    EXPECT_FALSE(rig.app->MeasurementRunning);
}
