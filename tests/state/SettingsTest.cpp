#include "state/AppState.h"
#include "support/TestDoubles.h"
#include "tracks/TextExport.h"

#include <QCoreApplication>
#include <QStandardPaths>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tervo;

namespace {
void writeText(const QString &path, const QByteArray &text)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
}
} // namespace

TEST(Settings, FirstStartAppliesDefaults)
{
    QTemporaryDir dir;
    FakeMsClock clock;
    ScriptedPrompts prompts;
    AppState state(clock, prompts, dir.path());
    state.loadMainWindowState();
    EXPECT_FALSE(state.SettingsLoaded);
    for (const CVSet &set : state.settings.CV) {
        EXPECT_EQ(set.CVTitle, "Initial Setting");
        EXPECT_EQ(set.CVV0, 0.6);
        EXPECT_EQ(set.CVV1, 1.2);
        EXPECT_EQ(set.CVV2, -0.2);
        EXPECT_EQ(set.CVScanrate, 50);
        EXPECT_EQ(set.CVCyclenum, 2);
    }
    EXPECT_EQ(state.settings.GPIBAddress, 7);
    EXPECT_EQ(state.settings.DeviceName, "AIO00");
    EXPECT_EQ(state.settings.MMAdch.size(), 20u);
    EXPECT_EQ(state.settings.MMAdch[19], 19);
    EXPECT_EQ(state.settings.MMScale[1], 0.005);
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST(Settings, WrittenFileReadsBackToTheSameValues)
{
    QTemporaryDir dir;
    FakeMsClock clock;
    ScriptedPrompts prompts;
    AppState a(clock, prompts, dir.path());
    a.loadMainWindowState();
    a.settings.CV[3].CVTitle = QStringLiteral("Pt 50 mV/s");
    a.settings.CV[3].CVRPM = 1600;
    a.settings.CVNum = 3;
    a.settings.RPjV = -0.25;
    a.settings.MMAdch[4] = 63;
    a.settings.SoundFileName = QStringLiteral("/usr/share/sounds/done.wav");
    ASSERT_TRUE(a.WriteSettings().ok);

    QFile f(a.settingsPath());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray text = f.readAll();
    EXPECT_TRUE(text.startsWith("CVNum= 3 \r\nCVSetNum= 0 \r\nCVTitle=Initial Setting\r\n"
                                "CVXScale= 1 \r\nCVYScale= .001 \r\nCVV0= .6 \r\n"));
    EXPECT_TRUE(text.contains("RingYScale= 1E-05 \r\n"));
    EXPECT_TRUE(text.contains("RPjV=-.25 \r\nMMAdch= 0 1 2 3 63 5"));
    EXPECT_TRUE(text.contains("MMScale= 1 .005 1 .005"));
    // The mail server keys follow the original ones; the password is not among them.
    EXPECT_TRUE(text.endsWith("PowerControl= 0 \r\nMailServer=\r\nMailPort= 25 \r\nMailFrom=\r\n"
                              "MailStartTLS= 1 \r\nMailUser=\r\nMailAllowUnencrypted=\r\n"
                              "Language=auto\r\n"));
    EXPECT_EQ(text.count("CVSetNum="), 6);

    AppState b(clock, prompts, dir.path());
    b.loadMainWindowState();
    EXPECT_TRUE(b.SettingsLoaded);
    EXPECT_EQ(b.settings.CVNum, 3);
    EXPECT_EQ(b.settings.CV[3].CVTitle, "Pt 50 mV/s");
    EXPECT_EQ(b.settings.CV[3].CVRPM, 1600);
    EXPECT_EQ(b.settings.RPjV, -0.25);
    EXPECT_EQ(b.settings.MMAdch.size(), 21u);
    EXPECT_EQ(b.settings.MMAdch[4], 63);
    EXPECT_EQ(b.settings.SoundFileName, "/usr/share/sounds/done.wav");
    EXPECT_EQ(settingsText(b.settings).left(200), settingsText(a.settings).left(200));
}

TEST(Settings, PartialAndHostileFiles)
{
    QTemporaryDir dir;
    FakeMsClock clock;
    ScriptedPrompts prompts;
    AppState s(clock, prompts, dir.path());
    writeText(s.settingsPath(), "CVNum= 9 \r\nCVSetNum= 1 \r\nCVV0= .3 \r\nCVSetNum= 7 \r\n"
                                "CVV0= .9 \r\nCVSetNum= 2 \r\nCVTitle=two=2\r\n"
                                "MMAdch= 5 -3 99 " +
                                    QByteArray(" 1").repeated(40) +
                                    "\r\nGPIBAddress= 2.5 \r\nTable\r\nFGKind= 3 \r\n");
    s.loadMainWindowState();
    EXPECT_TRUE(s.SettingsLoaded);
    EXPECT_EQ(s.settings.CVNum, 5); // clamped into the six sets
    EXPECT_EQ(s.settings.CV[1].CVV0, 0.3);
    EXPECT_EQ(s.settings.CV[2].CVTitle, "two=2");
    for (const CVSet &set : s.settings.CV)
        EXPECT_NE(set.CVV0, 0.9);              // set 7 is ignored
    EXPECT_EQ(s.settings.CV[0].CVScanrate, 0); // a readable file gets no defaults
    EXPECT_EQ(s.settings.DeviceName, "");
    EXPECT_EQ(s.settings.GPIBAddress, 2); // halves to even
    EXPECT_EQ(s.settings.FGKind, 0);      // after "Table" nothing is read
    ASSERT_EQ(s.settings.MMAdch.size(), 21u);
    EXPECT_EQ(s.settings.MMAdch[0], 5);
    EXPECT_EQ(s.settings.MMAdch[1], 0);
    EXPECT_EQ(s.settings.MMAdch[2], 63);
}

TEST(Settings, CalibrationFileAtStartUp)
{
    QTemporaryDir dir;
    FakeMsClock clock;
    ScriptedPrompts prompts;
    writeText(dir.filePath("rpm.txt"), "0\t0.0\r\nabc\r\n1000\t2.0\r\n3000\t4.5\r\n");
    writeText(dir.filePath("one.txt"), "100\t0.2\r\n");
    writeText(dir.filePath("unordered.txt"), "100\t0.2\r\n100\t0.4\r\n");

    AppState s(clock, prompts, dir.path());
    writeText(s.settingsPath(),
              "DABoard= 1 \r\nRPMvsVoltageFile=" + dir.filePath("rpm.txt").toUtf8() + "\r\n");
    s.loadMainWindowState();
    EXPECT_EQ(s.settings.DABoard, 1);
    ASSERT_EQ(s.RpmTable.size(), 3u);
    EXPECT_EQ(s.RpmTable[2].rpm, 3000);
    EXPECT_TRUE(prompts.messages.isEmpty());

    for (const char *bad : {"one.txt", "unordered.txt", "missing.txt"}) {
        prompts.messages.clear();
        writeText(s.settingsPath(), QByteArray("DABoard= 1 \r\nRPMvsVoltageFile=") + bad + "\r\n");
        s.loadMainWindowState();
        EXPECT_EQ(s.settings.DABoard, 0) << bad;
        ASSERT_EQ(prompts.messages.size(), 1) << bad;
        EXPECT_EQ(prompts.messages[0], QString::fromLatin1(kRpmFileMessage));
    }
}

TEST(Settings, ValueBeyondTheRangeOfNumbersIsRefusedWithAMessage)
{
    QTemporaryDir dir;
    FakeMsClock clock;
    ScriptedPrompts prompts;
    AppState s(clock, prompts, dir.path());
    writeText(s.settingsPath(),
              "O2CE= .3 \r\nO2CE= 1e400 \r\nKLConc=-1e400\r\nMMScale= 1 1e999\r\n");
    s.loadMainWindowState();
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_TRUE(prompts.messages[0].contains("O2CE, KLConc, MMScale"));
    EXPECT_EQ(s.settings.O2CE, 0.3); // the last value that could be taken
    EXPECT_TRUE(std::isfinite(s.settings.KLConc));
    // What is written at close reads back the same at the next start.
    ASSERT_TRUE(s.WriteSettings().ok);
    AppState again(clock, prompts, dir.path());
    again.loadMainWindowState();
    EXPECT_EQ(again.settings.O2CE, 0.3);
    EXPECT_EQ(prompts.messages.size(), 1);
}

TEST(Settings, CollectionEfficiencyIsTheSettingO2CE)
{
    QTemporaryDir dir;
    FakeMsClock clock;
    ScriptedPrompts prompts;
    AppState s(clock, prompts, dir.path());
    writeText(s.settingsPath(), "O2CE= .25 \r\n");
    s.loadMainWindowState();
    TrackHeader &h = s.store[1];
    h.Mode = ModeRDE;
    h.pnum = 1;
    s.store.data(1, 1, 0) = -1e-3;
    s.store.data(2, 1, 0) = 1e-4;
    DataTextOptions o;
    o.h2o = true;
    // D = 1e-3, R/N = 4e-4: 100 (D - R/N) / (R/N + D) = 42.9
    EXPECT_TRUE(TrackDataText(s.store, 1, o, QChar('.')).endsWith("\t42.9\r\n"));
    s.store.CollectionEfficiency = 0.5;
    ASSERT_TRUE(s.WriteSettings().ok);
    AppState again(clock, prompts, dir.path());
    again.loadMainWindowState();
    EXPECT_EQ(again.store.CollectionEfficiency, 0.5);
}

TEST(Settings, FallbackFolderIsConfigTervo)
{
    QCoreApplication::setOrganizationName(QStringLiteral("TERVO"));
    QCoreApplication::setApplicationName(QStringLiteral("TERVO"));
    const QString expected =
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/TERVO";
    EXPECT_EQ(settingsFolderFor(QStringLiteral("/no/such/program/folder")), expected);
    QTemporaryDir dir;
    EXPECT_EQ(settingsFolderFor(dir.path()), dir.path());
}

TEST(Settings, FileNotReadCompletelyIsKeptAsideBeforeAnythingIsWritten)
{
    struct Case {
        QByteArray text;
        int line;
        std::int16_t address; // after reading: the file's value, or the default
        QByteArray kept;      // the copy kept aside; empty: the text itself
    } cases[] = {
        {QByteArray("GPIBAddress= 3 \r\nGPIBAdress= 4 \r\nFGKind= 1 \r\n"), 2, 3, {}}, // a typo
        {QByteArray("\x7f"
                    "ELF\x02\x01\x01\0\0\0\0\0\0\0\0\0\x03\0>\0",
                    20),
         1,
         7,
         {}}, // binary
        // The password of an old file goes to the secret store, not into the copy.
        {QByteArray("GPIBAddress= 3 \nMailUser=lab\rMailPassword=s3cret\r\nGPIBAdress= 4 \n"), 4, 3,
         QByteArray("GPIBAddress= 3 \nMailUser=lab\rMailPassword=\r\nGPIBAdress= 4 \n")},
    };
    for (const Case &c : cases) {
        QTemporaryDir dir;
        FakeMsClock clock;
        ScriptedPrompts prompts;
        AppState s(clock, prompts, dir.path());
        writeText(s.settingsPath(), c.text);
        s.loadMainWindowState();
        ASSERT_EQ(prompts.messages.size(), 1);
        EXPECT_TRUE(prompts.messages[0].contains(QStringLiteral("(line %1)").arg(c.line)))
            << prompts.messages[0].toStdString();
        EXPECT_EQ(s.settings.GPIBAddress, c.address);
        ASSERT_TRUE(s.WriteSettings().ok);
        QFile bad(s.settingsPath() + QStringLiteral(".bad"));
        ASSERT_TRUE(bad.open(QIODevice::ReadOnly));
        EXPECT_EQ(bad.readAll(), c.kept.isEmpty() ? c.text : c.kept);
    }
    // What the program writes, it reads completely.
    Settings d;
    ApplyDefaultSettings(d);
    Settings again;
    EXPECT_TRUE(parseSettingsText(settingsText(d), again).complete());
}

// A program that shares a settings folder read-only leaves the holder's settings file alone.
TEST(Settings, AByteOrderMarkIsNotPartOfTheFirstKey)
{
    QFile f(QStringLiteral(TERVO_TEST_DATA "/settings/bom-Parameters.txt"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    Settings s;
    EXPECT_TRUE(parseSettingsText(f.readAll(), s).complete());
    EXPECT_EQ(s.DABoard, 1);

    std::vector<RpmRow> table;
    ASSERT_TRUE(ReadRpmTable(QStringLiteral(TERVO_TEST_DATA "/settings/bom-rpm.txt"), table));
    ASSERT_EQ(table.size(), 2u);
    EXPECT_DOUBLE_EQ(table[0].rpm, 100);
}

TEST(Settings, ReadOnlyStateReadsButNeverWrites)
{
    QTemporaryDir dir;
    FakeMsClock clock;
    ScriptedPrompts prompts;
    AppState holder(clock, prompts, dir.path());
    ApplyDefaultSettings(holder.settings);
    holder.settings.GPIBAddress = 5;
    ASSERT_TRUE(holder.WriteSettings().ok);

    AppState reader(clock, prompts, dir.path());
    reader.setReadOnly(true);
    ASSERT_TRUE(reader.ReadSettings());
    EXPECT_EQ(reader.settings.GPIBAddress, 5);
    reader.settings.GPIBAddress = 3;
    EXPECT_TRUE(reader.WriteSettings().ok);
    AppState reread(clock, prompts, dir.path());
    ASSERT_TRUE(reread.ReadSettings());
    EXPECT_EQ(reread.settings.GPIBAddress, 5);

    // Nor does it keep a copy of a file it could not read completely.
    QFile f(reader.settingsPath());
    ASSERT_TRUE(f.open(QIODevice::Append));
    f.write("GPIBAdress= 4 \r\n");
    f.close();
    ASSERT_TRUE(reader.ReadSettings());
    EXPECT_FALSE(QFile::exists(reader.settingsPath() + QStringLiteral(".bad")));
    EXPECT_TRUE(prompts.messages.constLast().contains(QStringLiteral("could not be read")));
}

// Without a secret service the password lives in a file only its owner can read.
TEST(Settings, APasswordInAnOldSettingsFileMovesToAnOwnerOnlyFile)
{
    QTemporaryDir dir;
    FakeMsClock clock;
    ScriptedPrompts prompts;
    AppState a(clock, prompts, dir.path());
    writeText(a.settingsPath(), "GPIBAddress= 3 \r\nMailUser=lab\r\nMailPassword=s3cret=x\r\n");
    a.loadMainWindowState();
    EXPECT_EQ(a.settings.MailPassword, "s3cret=x");
    EXPECT_FALSE(fileBytes(a.settingsPath()).contains("s3cret"));
    EXPECT_TRUE(fileBytes(a.settingsPath()).contains("GPIBAddress= 3 \r\n"));
    const QString secrets = dir.filePath(QString::fromLatin1(kSecretFileName));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(secrets).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_TRUE(fileBytes(secrets).contains("s3cret"));

    a.settings.MailPassword = QStringLiteral("n\u00e9w\r\nline");
    ASSERT_TRUE(a.WriteSettings().ok);
    EXPECT_FALSE(fileBytes(a.settingsPath()).contains("MailPassword"));
    ASSERT_EQ(::stat(QFile::encodeName(secrets).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    AppState b(clock, prompts, dir.path());
    b.loadMainWindowState();
    EXPECT_EQ(b.settings.MailPassword, QStringLiteral("n\u00e9w\r\nline"));
    EXPECT_TRUE(prompts.messages.isEmpty());
}

TEST(Settings, ThePasswordGoesToTheSecretStoreGiven)
{
    QTemporaryDir dir;
    FakeMsClock clock;
    ScriptedPrompts prompts;
    MemorySecretStore store;
    AppState a(clock, prompts, dir.path());
    a.setSecretStore(&store);
    writeText(a.settingsPath(), "MailUser=lab\r\nMailPassword=s3cret\r\n");
    a.loadMainWindowState();
    EXPECT_EQ(store.secrets.value(QString::fromLatin1(kMailPasswordKey)), "s3cret");
    EXPECT_FALSE(fileBytes(a.settingsPath()).contains("s3cret"));
    EXPECT_FALSE(QFile::exists(dir.filePath(QString::fromLatin1(kSecretFileName))));

    // A store that cannot take it leaves the old file as it was, and says so.
    MemorySecretStore broken;
    broken.failWith = QStringLiteral("locked");
    AppState b(clock, prompts, dir.path());
    b.setSecretStore(&broken);
    writeText(b.settingsPath(), "MailUser=lab\r\nMailPassword=s3cret\r\n");
    b.loadMainWindowState();
    EXPECT_EQ(b.settings.MailPassword, "s3cret");
    EXPECT_TRUE(fileBytes(b.settingsPath()).contains("s3cret"));
    ASSERT_EQ(prompts.messages.size(), 1);
    EXPECT_TRUE(prompts.messages[0].endsWith(": locked"));
}
