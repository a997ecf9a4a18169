#include "app/ui/EditorPreview.h"
#include "app/ui/frmEditATrack.h"
#include "app/ui/frmEditTracks.h"
#include "canvas/ContextMenu.h"
#include "canvas/QtApp.h"
#include "plot/PlotRanges.h"
#include "support/TestDoubles.h"
#include "tracks/EditFixtures.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

using namespace tervo;
using namespace tervo::testing;

TEST(EditTracksWindow, ArrowsTitlesAndButtons)
{
    auto s = emptyStore();
    (*s)[20].Mode = ModeCV;
    (*s)[20].Title = QStringLiteral("last");
    ScriptedPrompts prompts;
    EditTracksController c(*s, prompts);
    frmEditTracks w(c);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Edit Tracks"));
    EXPECT_EQ(w.txtSourceTrack->text(), QStringLiteral(" 0"));
    w.cmdCopy->click();
    EXPECT_EQ(prompts.messages, QStringList{"Source data is vacant."});
    w.updSourceDown->click();
    EXPECT_EQ(w.txtSourceTrack->text(), QStringLiteral(" 20"));
    EXPECT_EQ(w.lblSourceTrack->text(), QStringLiteral("last"));
    w.cmdMove->click();
    EXPECT_EQ(w.lblSourceTrack->text(), QString());
    EXPECT_EQ(w.lblDestinationTrack->text(), QStringLiteral("last"));
}

TEST(ReplaceTitleWindow, GoReplacesAndShowsTheTracksAgain)
{
    auto s = emptyStore();
    (*s)[0].Title = QStringLiteral("CV1");
    int shown = 0;
    frmReplaceTitle w(*s, [&] { ++shown; });
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Replace words in each title"));
    w.txtBefore->setText(QStringLiteral("CV"));
    w.txtAfter->setText(QStringLiteral("LSV"));
    w.cmdGo->click();
    EXPECT_EQ((*s)[0].Title, QStringLiteral("LSV1"));
    EXPECT_EQ(shown, 1);
    w.cmdGo->click(); // nothing left to replace
    EXPECT_EQ(shown, 1);
}

namespace {

struct EditorWindow : ::testing::Test {
    std::unique_ptr<TrackStore> s = emptyStore();
    ScriptedPrompts prompts;
    TrackEditor editor{*s, prompts, CycleBoundaries};
    std::unique_ptr<frmEditATrack> w;
    void SetUp() override
    {
        fillTwoCycles(*s, 3);
        s->CurrentTrack = 3;
        w = std::make_unique<frmEditATrack>(editor, *s);
        w->resize(800, 400);
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        QApplication::processEvents();
    }
    QModelIndex cell(int gridRow, int column)
    {
        return w->DataGrid->model()->index(gridRow - 1, column);
    }
};

} // namespace

TEST_F(EditorWindow, CycleListGridAndEditBox)
{
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Edit A Track"));
    ASSERT_EQ(w->cbxCycleNum->count(), 2);
    EXPECT_EQ(w->cbxCycleNum->itemText(1), QStringLiteral("Cycle 2"));
    EXPECT_EQ(w->DataGrid->model()->headerData(0, Qt::Horizontal).toString(),
              QStringLiteral("E/V"));
    EXPECT_EQ(w->DataGrid->model()->rowCount(), 21);
    w->DataGrid->setCurrentIndex(cell(2, 0));
    EXPECT_EQ(w->txtEdit->text(), QStringLiteral("1.000e-1"));
    w->txtEdit->setText(QStringLiteral("0.25"));
    QTest::keyClick(w->txtEdit, Qt::Key_Return);
    EXPECT_EQ(s->data(0, 3, 1), 0.25);
    EXPECT_EQ(w->DataGrid->currentIndex().row(), 2); // one row down
    EXPECT_EQ(w->txtEdit->text(), QStringLiteral("2.000e-1"));
}

TEST_F(EditorWindow, DeleteKeyAsksAndRemovesTheSelectedRows)
{
    w->DataGrid->setCurrentIndex(cell(2, 0));
    w->DataGrid->selectionModel()->select(QItemSelection(cell(2, 0), cell(4, 1)),
                                          QItemSelectionModel::ClearAndSelect);
    prompts.yesNoAnswers = {true};
    QTest::keyClick(w->DataGrid, Qt::Key_Delete);
    EXPECT_EQ((*s)[3].pnum, 38);
    EXPECT_EQ(w->DataGrid->model()->rowCount(), 18);
}

TEST_F(EditorWindow, TheMarkIsErasedByDrawingItAgain)
{
    kurvex::KurvexControl *canvas = w->canvas();
    ASSERT_NE(canvas, nullptr);
    const QImage plain = canvas->image();
    toggleMark(*canvas, *s, 3, 5);
    const QImage marked = canvas->image();
    EXPECT_NE(marked, plain);
    toggleMark(*canvas, *s, 3, 5);
    EXPECT_EQ(canvas->image(), plain);
}

TEST_F(EditorWindow, BasicOperationsPreviewThenUpdate)
{
    w->cbxCycleNum->setCurrentIndex(1);
    emit w->cbxCycleNum->activated(1);
    w->mnuBasicOperations->trigger();
    frmBasicOperations *ops = w->basicOperations();
    ASSERT_NE(ops, nullptr);
    EXPECT_EQ(ops->windowTitle(), QStringLiteral("Basic Operations"));
    EXPECT_TRUE(ops->opnOperation[0]->isChecked());
    EXPECT_FALSE(ops->cmdUpdate->isEnabled());
    ops->opnOperation[3]->setChecked(true);
    ops->txtOperand->setText(QStringLiteral("0"));
    ops->cmdPreview->click();
    EXPECT_EQ(prompts.messages, QStringList{"Can't divide by zero!"});
    EXPECT_FALSE(ops->cmdUpdate->isEnabled());
    ops->opnOperation[0]->setChecked(true);
    ops->chkCh[0]->setChecked(true);
    ops->txtOperand->setText(QStringLiteral("0.1"));
    const QImage before = w->canvas()->image();
    ops->cmdPreview->click();
    EXPECT_NE(w->canvas()->image(), before); // the changed cycle drawn over the preview
    ASSERT_TRUE(ops->cmdUpdate->isEnabled());
    ops->cmdUpdate->click();
    EXPECT_FALSE(ops->isVisible());
    EXPECT_DOUBLE_EQ(s->data(0, 3, 19), -0.1);
    EXPECT_DOUBLE_EQ(s->data(0, 3, 20), 0.1);
}

TEST_F(EditorWindow, PreviewOffersSavingTheFigure)
{
    ASSERT_NE(w->canvas(), nullptr);
    EXPECT_TRUE(
        contextMenuEntries(w->canvas()->widget()).contains(QStringLiteral("Save Figure\u2026")));
}
