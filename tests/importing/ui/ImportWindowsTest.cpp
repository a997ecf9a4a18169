#include "canvas/ContextMenu.h"
#include "canvas/KurvexControl.h"
#include "canvas/QtApp.h"
#include "importing/TrackFiles.h"
#include "importing/TrackSearch.h"
#include "importing/ui/frmImportTrack.h"
#include "importing/ui/frmSearchTrack.h"
#include "support/TestDoubles.h"
#include "tracks/TrackEditing.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <gtest/gtest.h>

using namespace tervo;
using namespace tervo::testing;

TEST(ImportTrackWindow, ThePathLineChoosesAFileAndAClickPreviewsTheTrack)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("run.tvd");
    writeTracks(file, {{1, ModeRDE, "ring", 900, 5, 10}});
    auto store = emptyStore();
    ScriptedPrompts prompts;
    ImportTrackController c(*store, prompts);
    QList<int> shown;
    c.showTrack = [&](int t) { shown << t; };
    frmImportTrack w(
        c, *store, [] { return 0; }, dir.path());
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Import Track"));
    w.txtPath->setText(file);
    QTest::keyClick(w.txtPath, Qt::Key_Return);
    EXPECT_EQ(c.path(), file);
    EXPECT_EQ(w.fgcDataSheet->item(1, 2)->text(), QStringLiteral("ring"));
    EXPECT_EQ(w.fgcDataSheet->item(0, 2)->text(), QStringLiteral(" "));
    const QImage empty = w.canvas()->image();
    w.fgcDataSheet->setCurrentCell(1, 0);
    EXPECT_NE(w.canvas()->image(), empty);
    EXPECT_TRUE(
        contextMenuEntries(w.canvas()->widget()).contains(QStringLiteral("Save Figure\u2026")));
    EXPECT_EQ((*store)[kScratchSlot].Title, QStringLiteral("ring"));
    store->CurrentTrack = 4;
    w.cmdImport->click();
    EXPECT_EQ(shown, QList<int>{4});
    EXPECT_EQ((*store)[4].RPM, 900.0);
}

TEST(SearchTrackWindow, HitsFillTheGridAndImportGoesToTheChosenSlot)
{
    QTemporaryDir dir;
    writeTracks(dir.filePath("a.tvd"), {{0, ModeCV, "Oxygen cv"}, {2, ModeRDE, "argon"}});
    writeTracks(dir.filePath("b.tvd"), {{5, ModeRDE, "oxygen ORR", 1600, 10}});
    QFile broken(dir.filePath("c.tvd"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    ASSERT_TRUE(broken.resize(kMaxTrackFileBytes + 1));
    broken.close();
    auto store = emptyStore();
    ScriptedPrompts prompts;
    SearchTrackController c(*store, prompts);
    frmSearchTrack w(c, dir.path());
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Search Track"));
    EXPECT_EQ(w.folder(), dir.path());
    w.opnTitle[1]->setChecked(true);
    w.KeyWords->setText(QStringLiteral("OXYGEN"));
    QSignalSpy finished(&c.search(), &TrackSearch::finished);
    w.cmdSearch->click();
    EXPECT_FALSE(w.cmdSearch->isEnabled());
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_TRUE(w.cmdSearch->isEnabled());
    ASSERT_EQ(w.SearchResult->rowCount(), 2);
    EXPECT_EQ(w.SearchResult->item(1, 2)->text(), QStringLiteral("oxygen ORR"));
    EXPECT_EQ(w.lblStatus->text(), QStringLiteral("2 found; 1 file could not be read"));

    w.cmdImport->click();
    EXPECT_EQ(prompts.messages, QStringList{"Please Select a Track!"});
    w.SearchResult->setCurrentCell(1, 0);
    w.UpDown1Up->click();
    EXPECT_EQ(w.txtTrack->text(), QStringLiteral("1"));
    w.cmdImport->click();
    EXPECT_EQ((*store)[1].Title, QStringLiteral("oxygen ORR"));
    EXPECT_EQ(w.txtTitle->text(), QStringLiteral("oxygen ORR"));

    w.KeyWords->clear();
    w.cmdSearch->click();
    EXPECT_EQ(prompts.messages.last(), QStringLiteral("Please input keywords!"));
    EXPECT_TRUE(w.cmdSearch->isEnabled());
}
