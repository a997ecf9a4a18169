#include "app/frmControlPanel.h"
#include "app/frmGuide.h"
#include "app/frmProgressWindow.h"
#include "app/frmSettings.h"
#include "tracks/TrackFile.h"

#include "canvas/KurvexControl.h"
#include "plot/TrackPreview.h"
#include "support/TestDoubles.h"

#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QLocale>
#include <QMimeData>
#include <QRadioButton>
#include <QScrollBar>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QUrl>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

using namespace tervo;

namespace {

class QtApplication : public ::testing::Environment {
public:
    void SetUp() override
    {
        static int argc = 1;
        static char name[] = "app_window_tests";
        static char *argv[] = {name, nullptr};
        QLocale::setDefault(QLocale::c());
        m_app = std::make_unique<QApplication>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<QApplication> m_app;
};
[[maybe_unused]] const auto *const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtApplication);

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        state = std::make_unique<AppState>(clock, prompts, dir.path());
        controller = std::make_unique<ControlPanelController>(*state, clipboard, progress, recent);
        window = std::make_unique<frmControlPanel>(*controller);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void TearDown() override { window.reset(); }

    // A file with a CV track 0 and an RDE track 1.
    QString writeSample(const QString &name)
    {
        auto s = std::make_unique<TrackStore>();
        for (int t = 0; t < kTrackSlots; ++t)
            s->ClearTrack(t);
        for (int t = 0; t < 2; ++t) {
            TrackHeader &h = (*s)[t];
            h.Mode = t == 0 ? ModeCV : ModeRDE;
            h.Title = QStringLiteral("sample %1").arg(t);
            h.pnum = 200;
            h.Vxmin = -0.2;
            h.Vxmax = 1.2;
            h.Vymin = -1e-4;
            h.Vymax = 1e-4;
            for (int i = 0; i < h.pnum; ++i) {
                const double e = i < 100 ? -0.2 + 0.014 * i : 1.2 - 0.014 * (i - 100);
                s->data(0, t, i) = e;
                s->data(1, t, i) = (i < 100 ? 1 : -1) * 8e-5 * std::sin(3.0 * e);
            }
        }
        const QString p = QDir(dir.path()).filePath(name);
        EXPECT_TRUE(writeTrackFile(*s, p, '.').ok);
        return p;
    }

    // Radio buttons take clicks on their indicator and label, not on the empty space beside.
    static void clickOption(QAbstractButton *b)
    {
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
    }

    void clickRow(int row)
    {
        QTableWidget *sheet = window->InformationSheet;
        const QRect r = sheet->visualItemRect(sheet->item(row, 1));
        QTest::mouseClick(sheet->viewport(), Qt::LeftButton, {}, r.center());
    }

    FakeMsClock clock;
    ScriptedPrompts prompts;
    QTemporaryDir dir;
    MemoryClipboard clipboard;
    NullProgress progress;
    RecentFiles recent;
    std::unique_ptr<AppState> state;
    std::unique_ptr<ControlPanelController> controller;
    std::unique_ptr<frmControlPanel> window;
};

} // namespace

TEST_F(MainWindow, OpenStepEditTitleSaveAs)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("TERVO Ver 1.06"));
    EXPECT_EQ(window->cbxReference->count(), 5);
    EXPECT_EQ(window->InformationSheet->item(8, 0)->text(), QStringLiteral("Point Num."));

    prompts.fileAnswers = {writeSample(QStringLiteral("sample.tvd"))};
    window->menuEntry(QStringLiteral("Open"))->trigger();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("TERVO --sample.tvd"));
    EXPECT_EQ(window->txtDatNum->text(), QStringLiteral("0"));
    EXPECT_EQ(window->lblTrackTitle->text(), QStringLiteral("sample 0"));

    QTest::mouseClick(window->UpDown1Up, Qt::LeftButton);
    EXPECT_EQ(window->txtDatNum->text(), QStringLiteral("1"));
    EXPECT_EQ(window->InformationSheet->item(0, 1)->text(), QStringLiteral("RDE"));
    QTest::mouseClick(window->UpDown1Down, Qt::LeftButton);
    QTest::mouseClick(window->UpDown1Down, Qt::LeftButton);
    EXPECT_EQ(window->txtDatNum->text(), QStringLiteral("20"));
    EXPECT_TRUE(window->InformationSheet->item(0, 1)->text().isEmpty());
    QTest::mouseClick(window->UpDown1Up, Qt::LeftButton);
    QTest::mouseClick(window->UpDown1Up, Qt::LeftButton);

    clickRow(1);
    EXPECT_EQ(window->txtEditField->text(), QStringLiteral("sample 1"));
    window->txtEditField->clear();
    QTest::keyClicks(window->txtEditField, QStringLiteral("ORR 1600 rpm"));
    QTest::keyClick(window->txtEditField, Qt::Key_Return);
    EXPECT_EQ(window->lblTrackTitle->text(), QStringLiteral("ORR 1600 rpm"));
    EXPECT_EQ(window->InformationSheet->item(1, 1)->text(), QStringLiteral("ORR 1600 rpm"));

    // A value picked on one track is not stored into the next one.
    clickRow(1);
    QTest::mouseClick(window->UpDown1Up, Qt::LeftButton);
    EXPECT_TRUE(window->txtEditField->text().isEmpty());
    QTest::keyClicks(window->txtEditField, QStringLiteral("stray"));
    QTest::keyClick(window->txtEditField, Qt::Key_Return);
    EXPECT_TRUE(state->store[2].Title.isEmpty());
    QTest::mouseClick(window->UpDown1Down, Qt::LeftButton);

    // Typing in the track box does not change the track.
    QTest::keyClicks(window->txtDatNum, QStringLiteral("5"));
    EXPECT_EQ(controller->currentTrack(), 1);

    const QString saved = QDir(dir.path()).filePath(QStringLiteral("edited"));
    prompts.fileAnswers = {saved};
    window->menuEntry(QStringLiteral("Save as"))->trigger();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("TERVO --edited.tvd"));
    std::array<TrackHeader, kTrackSlots> headers;
    ASSERT_TRUE(ReadTrackHeaders(saved + QStringLiteral(".tvd"), headers));
    EXPECT_EQ(headers[1].Title, QStringLiteral("ORR 1600 rpm"));
    EXPECT_EQ(headers[0].Title, QStringLiteral("sample 0"));
}

// Save writes the current file without a dialog, and is Save as while there is none; a save that
// fails says so and keeps the changes for another try.
TEST_F(MainWindow, SaveWritesTheCurrentFileWithoutAsking)
{
    QAction *save = window->menuEntry(QStringLiteral("Save"));
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
    EXPECT_EQ(window->menuEntry(QStringLiteral("Save as"))->shortcut(),
              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));

    const QString first = QDir(dir.path()).filePath(QStringLiteral("first"));
    prompts.fileAnswers = {first};
    state->store[0].Mode = ModeCV;
    state->store[0].Title = QStringLiteral("one");
    state->store.markChanged();
    save->trigger();
    EXPECT_TRUE(prompts.fileAnswers.empty()); // asked for a name
    EXPECT_EQ(window->windowTitle(), QStringLiteral("TERVO --first.tvd"));

    state->store[0].Title = QStringLiteral("two");
    state->store.markChanged();
    prompts.fileAnswers = {QDir(dir.path()).filePath(QStringLiteral("never"))};
    save->trigger();
    EXPECT_EQ(prompts.fileAnswers.size(), 1u); // not asked
    std::array<TrackHeader, kTrackSlots> headers;
    ASSERT_TRUE(ReadTrackHeaders(first + QStringLiteral(".tvd"), headers));
    EXPECT_EQ(headers[0].Title, QStringLiteral("two"));
    EXPECT_FALSE(state->store.hasUnsavedChanges());

    // The file's folder is gone: the failure is reported and the tracks stay unsaved.
    QDir moved(dir.path());
    ASSERT_TRUE(moved.mkdir(QStringLiteral("sub")));
    const QString inSub = moved.filePath(QStringLiteral("sub/work"));
    prompts.fileAnswers = {inSub};
    window->menuEntry(QStringLiteral("Save as"))->trigger();
    ASSERT_TRUE(QDir(moved.filePath(QStringLiteral("sub"))).removeRecursively());
    state->store[0].Title = QStringLiteral("three");
    state->store.markChanged();
    save->trigger();
    EXPECT_EQ(prompts.messages.size(), 1);
    EXPECT_TRUE(state->store.hasUnsavedChanges());
    EXPECT_EQ(controller->filePath(), inSub + QStringLiteral(".tvd"));
    EXPECT_EQ(state->store[0].Title, QStringLiteral("three"));
}

TEST_F(MainWindow, HelpShowsTheGuideAndAbout)
{
    QAction *guide = window->menuEntry(QStringLiteral("Getting started"));
    ASSERT_NE(guide, nullptr);
    EXPECT_EQ(guide->shortcut(), QKeySequence(Qt::Key_F1));
    guide->trigger();
    auto *shown = window->findChild<frmGuide *>();
    ASSERT_NE(shown, nullptr);
    EXPECT_TRUE(shown->isVisible());
    EXPECT_TRUE(shown->txtGuide()->isReadOnly());
    EXPECT_TRUE(shown->txtGuide()->toPlainText().contains(QStringLiteral("Getting started")));
    // Chosen again, the same window comes forward.
    guide->trigger();
    EXPECT_EQ(window->findChildren<frmGuide *>().size(), 1);

    window->menuEntry(QStringLiteral("About"))->trigger();
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_EQ(prompts.messages[0], controller->aboutText());
}

TEST_F(MainWindow, PendingEditIsDroppedWhenAFileIsOpened)
{
    const QString sample = writeSample(QStringLiteral("sample.tvd"));
    ASSERT_TRUE(controller->openPath(sample));
    clickRow(1); // the title of track 0
    window->txtEditField->setText(QStringLiteral("old text"));
    ASSERT_TRUE(controller->openPath(sample)); // track 0 again, from the file
    QTest::keyClick(window->txtEditField, Qt::Key_Return);
    EXPECT_EQ(state->store[0].Title, QStringLiteral("sample 0"));
    EXPECT_TRUE(window->txtEditField->text().isEmpty());
}

TEST_F(MainWindow, ReferenceListAndPageKeys)
{
    prompts.fileAnswers = {writeSample(QStringLiteral("sample.tvd"))};
    window->menuEntry(QStringLiteral("Open"))->trigger();
    // No to the conversion question: only the entry changes.
    window->cbxReference->activated(2);
    EXPECT_EQ(state->store[0].ref, 2);
    EXPECT_EQ(window->cbxReference->currentIndex(), 2);

    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_PageDown);
    EXPECT_EQ(window->txtDatNum->text(), QStringLiteral("1"));
    QTest::keyClick(window.get(), Qt::Key_PageUp);
    QTest::keyClick(window.get(), Qt::Key_PageUp);
    EXPECT_EQ(window->txtDatNum->text(), QStringLiteral("20"));
    EXPECT_EQ(window->cbxReference->currentIndex(), 0);
}

TEST_F(MainWindow, EntriesOfOtherWindowsWaitForAnOpener)
{
    for (const char *caption : {"Cyclic Voltammogram", "Koutecky-Levich Analysis", "Macro",
                                "Import Track", "Edit a Track", "Smoothing", "Adjust RPM"}) {
        QAction *a = window->menuEntry(QString::fromLatin1(caption));
        ASSERT_NE(a, nullptr) << caption;
        EXPECT_FALSE(a->isEnabled()) << caption;
    }
    for (const char *caption :
         {"Open", "Save", "Save as", "Quit", "Copy All as Text Data", "Paste from Clipboard",
          "Delete Track", "Settings", "Getting started", "About"})
        EXPECT_TRUE(window->menuEntry(QString::fromLatin1(caption))->isEnabled()) << caption;

    int opened = 0;
    EXPECT_TRUE(window->setWindowOpener(QStringLiteral("Cyclic Voltammogram"), [&] { ++opened; }));
    EXPECT_FALSE(window->setWindowOpener(QStringLiteral("No such entry"), [&] { ++opened; }));
    QAction *cv = window->menuEntry(QStringLiteral("Cyclic Voltammogram"));
    EXPECT_TRUE(cv->isEnabled());
    cv->trigger();
    // A second opener replaces the first.
    window->setWindowOpener(QStringLiteral("Cyclic Voltammogram"), [&] { opened += 10; });
    cv->trigger();
    EXPECT_EQ(opened, 11);
}

TEST_F(MainWindow, SetSizePlacesTheWindowUnlessMinimised)
{
    window->SetSize(30, 40, 820, 540);
    EXPECT_EQ(window->geometry(), QRect(40, 30, 820, 540));
    window->setWindowState(Qt::WindowMinimized);
    window->SetSize(0, 0, 500, 400);
    EXPECT_EQ(window->geometry().size(), QSize(820, 540));
}

TEST_F(MainWindow, DroppedTrackFileOpens)
{
    const QString file = writeSample(QStringLiteral("dropped.tvd"));
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(file)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("TERVO --dropped.tvd"));

    QMimeData text;
    text.setUrls({QUrl::fromLocalFile(QDir(dir.path()).filePath(QStringLiteral("notes.txt")))});
    QDragEnterEvent refused(QPoint(10, 10), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    refused.setAccepted(false);
    QApplication::sendEvent(window.get(), &refused);
    EXPECT_FALSE(refused.isAccepted());
}

TEST_F(MainWindow, DroppedExportsOfOtherInstrumentsGoToTheDropHandler)
{
    QStringList received;
    window->setDropHandler([&](const QStringList &paths) { received = paths; });
    const QString run = QDir(dir.path()).filePath(QStringLiteral("run.mpt"));
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(run)});
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    enter.setAccepted(false);
    QApplication::sendEvent(window.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    EXPECT_EQ(received, QStringList{run});
    EXPECT_FALSE(window->menuEntry(QStringLiteral("Import from other instrument…"))->isEnabled());
}

TEST_F(MainWindow, SettingsWindowWritesSettingsAndCloseSavesThem)
{
    window->menuEntry(QStringLiteral("Settings"))->trigger();
    auto *settings = window->findChild<frmSettings *>();
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->windowTitle(), QStringLiteral("Settings"));
    EXPECT_EQ(settings->txtGPIBAddr->text(), QStringLiteral(" 7"));
    QTest::mouseClick(settings->updAddrUp, Qt::LeftButton);
    EXPECT_EQ(state->settings.GPIBAddress, 7);
    QTest::mouseClick(settings->updAddrDown, Qt::LeftButton);
    EXPECT_EQ(settings->txtGPIBAddr->text(), QStringLiteral(" 6"));

    clickOption(settings->opnDevice->button(0));
    EXPECT_TRUE(prompts.messages.isEmpty());
    clickOption(settings->opnDevice->button(2));
    EXPECT_EQ(state->settings.ADBoard, 2);
    EXPECT_EQ(prompts.messages.size(), 1);
    clickOption(settings->opnDrawMethod->button(1));
    EXPECT_EQ(state->settings.PrevGraphDrawSetting, 1);
    settings->txtDevice->clear();
    QTest::keyClicks(settings->txtDevice, QStringLiteral("AIO03"));
    EXPECT_EQ(state->settings.DeviceName, QStringLiteral("AIO03"));

    // The same window comes back the second time.
    window->menuEntry(QStringLiteral("Settings"))->trigger();
    EXPECT_EQ(window->findChildren<frmSettings *>().size(), 1);

    bool closing = false;
    QObject::connect(window.get(), &frmControlPanel::aboutToClose, [&] { closing = true; });
    window->close();
    EXPECT_TRUE(closing);
    AppState reread(clock, prompts, dir.path());
    ASSERT_TRUE(reread.ReadSettings());
    EXPECT_EQ(reread.settings.GPIBAddress, 6);
    EXPECT_EQ(reread.settings.DeviceName, QStringLiteral("AIO03"));
}

TEST_F(MainWindow, RendersSheetAndPreviewOfTheCurrentTrack)
{
    kurvex::KurvexControl *canvas = kurvex::createControl(QString::fromLatin1(kurvex::kProgId));
    ASSERT_NE(canvas, nullptr);
    QList<int> drawn;
    window->setPreview(canvas->widget(), [&](int track) {
        drawn << track;
        DrawTrackPreview(*canvas, state->store, track, state->settings.PrevGraphDrawSetting);
    });
    EXPECT_EQ(canvas->widget()->parentWidget(), window->PrevGraph);

    prompts.fileAnswers = {writeSample(QStringLiteral("sample.tvd"))};
    window->menuEntry(QStringLiteral("Open"))->trigger();
    ASSERT_FALSE(drawn.isEmpty());
    EXPECT_EQ(drawn.last(), 0);
    QTest::mouseClick(window->UpDown1Up, Qt::LeftButton);
    EXPECT_EQ(drawn.last(), 1);
    QTest::mouseClick(window->UpDown1Down, Qt::LeftButton);

    // The curve is on the canvas: it holds more than the background colour.
    const QImage preview = canvas->image();
    ASSERT_FALSE(preview.isNull());
    QSet<QRgb> colours;
    for (int y = 0; y < preview.height(); y += 3)
        for (int x = 0; x < preview.width(); x += 3)
            colours.insert(preview.pixel(x, y));
    EXPECT_GT(colours.size(), 2);

    // A resize draws the track again to the new size.
    const int before = drawn.size();
    window->resize(window->width() + 120, window->height() + 60);
    QTRY_VERIFY(drawn.size() > before);

    const QImage shot = window->grab().toImage();
    ASSERT_FALSE(shot.isNull());
    EXPECT_FALSE(window->InformationSheet->verticalScrollBar()->isVisible());
    EXPECT_GT(window->PrevGraph->width(), window->InformationSheet->width());

    window->menuEntry(QStringLiteral("Settings"))->trigger();
    auto *settings = window->findChild<frmSettings *>();
    ASSERT_NE(settings, nullptr);
    const QImage settingsShot = settings->grab().toImage();
    ASSERT_FALSE(settingsShot.isNull());
    // Set TERVO_SCREENSHOT_DIR to look at the windows.
    const QString out = qEnvironmentVariable("TERVO_SCREENSHOT_DIR");
    if (!out.isEmpty()) {
        shot.save(QDir(out).filePath(QStringLiteral("frmControlPanel.png")));
        settingsShot.save(QDir(out).filePath(QStringLiteral("frmSettings.png")));
    }
}

TEST(ProgressWindow, LabelRangeAndHiding)
{
    frmProgressWindow w;
    EXPECT_EQ(w.windowTitle(), QStringLiteral("TERVO"));
    w.begin(QStringLiteral("Now Copying to Clipboard... Please wait."), 20001);
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.ProgressBar->maximum(), 20001);
    w.advance(300);
    EXPECT_EQ(w.ProgressBar->value(), 300);
    w.end();
    EXPECT_FALSE(w.isVisible());
    // A null label keeps the previous text.
    w.begin(QString(), 5);
    EXPECT_EQ(w.lblMessage->text(), QStringLiteral("Now Copying to Clipboard... Please wait."));
    EXPECT_EQ(w.ProgressBar->value(), 0);
    w.end();
}

// Quit asks before changed tracks are given up; the desktop ending the program does not ask.
TEST_F(MainWindow, QuitCancelledStaysOpenAndTheDesktopClosesUnasked)
{
    int closing = 0;
    QObject::connect(window.get(), &frmControlPanel::aboutToClose, [&] { ++closing; });
    state->store[0].Mode = ModeCV;
    state->store.markChanged();
    prompts.choiceAnswers = {2};
    window->menuEntry(QStringLiteral("Quit"))->trigger();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(closing, 0);
    EXPECT_EQ(prompts.questions.size(), 1);

    window->closeUnasked();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(closing, 1);
    EXPECT_EQ(prompts.questions.size(), 1);
    EXPECT_EQ(window->quitAnswer(), ControlPanelController::QuitAnswer::Quit);
}
