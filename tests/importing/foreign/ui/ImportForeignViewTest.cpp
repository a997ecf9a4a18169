#include "importing/foreign/ui/frmImportForeign.h"
#include "support/TestDoubles.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using namespace tervo;
using namespace tervo::foreign;

namespace {

QString data(const char *name)
{
    return QStringLiteral(TERVO_TEST_DATA "/importing/foreign/") + QString::fromLatin1(name);
}

// Lives until the process ends: destroying it among the statics at exit crashes.
void app()
{
    static int argc = 1;
    static char name[] = "test";
    static char *argv[] = {name, nullptr};
    static QApplication *a = new QApplication(argc, argv);
    (void)a;
}

} // namespace

TEST(ImportForeignView, ShowsWhatWasDetectedAndForwardsChoices)
{
    app();
    auto store = std::make_unique<TrackStore>();
    for (int t = 0; t < kTrackSlots; ++t)
        store->ClearTrack(t);
    ScriptedPrompts prompts;
    ForeignImportController controller(*store, prompts, nullptr);
    frmImportForeign window(controller);
    window.openWith({data("chi-cv.txt"), data("csv-three-header-lines.csv")});

    EXPECT_EQ(window.lstFiles->count(), 2);
    EXPECT_EQ(window.lstFiles->currentRow(), 0);
    EXPECT_TRUE(window.lblSummary->text().contains(QStringLiteral("CH Instruments text export")));
    EXPECT_TRUE(window.lblSummary->text().contains(QStringLiteral("Points: 11")));
    EXPECT_TRUE(window.chkFlip->isChecked());
    EXPECT_TRUE(window.lblSummary->text().contains(QStringLiteral("stored flipped")));
    EXPECT_EQ(window.grdPreview->columnCount(), 2);
    EXPECT_FALSE(window.cbxThinning->isEnabled());

    window.lstFiles->setCurrentRow(1);
    EXPECT_EQ(window.cbxYUnit->currentText(), QStringLiteral("µA"));
    window.cbxMode->setCurrentIndex(window.cbxMode->findText(QStringLiteral("RDE")));
    emit window.cbxMode->activated(window.cbxMode->currentIndex());
    EXPECT_EQ(controller.file(1).mode, ModeRDE);
    EXPECT_TRUE(window.txtRpm->isEnabled());

    window.updTrack->setValue(7);
    QTest::mouseClick(window.cmdImport, Qt::LeftButton);
    EXPECT_EQ((*store)[7].Mode, ModeCV);
    EXPECT_EQ((*store)[8].Mode, ModeRDE);
}
