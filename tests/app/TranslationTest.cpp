// The English texts beside the Japanese ones: chosen by the setting and the system's language,
// loaded from the program itself.
#include "app/Translation.h"
#include "app/SettingsController.h"
#include "support/TestDoubles.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTranslator>
#include <gtest/gtest.h>

using namespace tervo;

namespace {

QCoreApplication &coreApp()
{
    static int argc = 1;
    static char name[] = "app_shell_tests";
    static char *argv[] = {name, nullptr};
    static QCoreApplication *app = QCoreApplication::instance() ? QCoreApplication::instance()
                                                                : new QCoreApplication(argc, argv);
    return *app;
}

} // namespace

TEST(Translation, EnglishUnlessTheSettingOrTheSystemSaysJapanese)
{
    struct Case {
        const char *setting;
        QLocale::Language system;
        bool english;
    };
    const Case cases[] = {{"auto", QLocale::Japanese, false}, {"auto", QLocale::English, true},
                          {"auto", QLocale::German, true},    {"", QLocale::Japanese, false},
                          {"ja", QLocale::English, false},    {"en", QLocale::Japanese, true},
                          {" EN ", QLocale::Japanese, true},  {"fr", QLocale::English, true}};
    for (const Case &c : cases)
        EXPECT_EQ(wantsEnglish(QString::fromLatin1(c.setting), QLocale(c.system)), c.english)
            << c.setting << " " << QLocale::languageToString(c.system).toStdString();
}

TEST(Translation, SettingIsReadFromTheSettingsFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Parameters.txt"));
    EXPECT_EQ(languageSetting(path), QStringLiteral("auto")); // no file yet
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("CVNum= 0 \r\nLanguage=en\r\n");
    f.close();
    EXPECT_EQ(languageSetting(path), QStringLiteral("en"));
    QCoreApplication &app = coreApp();
    EXPECT_TRUE(installTranslation(app, path, QLocale(QLocale::Japanese)));
    EXPECT_EQ(QCoreApplication::translate("Measurement", "GPIB不良"),
              QStringLiteral("GPIB Trouble!"));
    for (QTranslator *t : app.findChildren<QTranslator *>()) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
    EXPECT_EQ(QCoreApplication::translate("Measurement", "GPIB不良"),
              QString::fromUtf8("GPIB不良"));
}

// Without a translator the Japanese texts stay; with the English one installed they read in
// English, and removing it brings the Japanese back.
TEST(Translation, EnglishTextsComeFromTheProgramsTranslation)
{
    QCoreApplication &app = coreApp();
    const char *source = "TERVOを再起動後有効になります";
    EXPECT_EQ(QCoreApplication::translate("Settings", source), QString::fromUtf8(source));
    QTranslator *english = installEnglish(app);
    ASSERT_NE(english, nullptr);
    EXPECT_EQ(QCoreApplication::translate("Settings", source),
              QStringLiteral("Takes effect after TERVO is restarted."));
    Settings s;
    ScriptedPrompts p;
    SettingsController c(s, p);
    c.chooseADDevice(2);
    EXPECT_EQ(p.messages, QStringList{QStringLiteral("Takes effect after TERVO is restarted.")});
    QCoreApplication::removeTranslator(english);
    delete english;
    EXPECT_EQ(QCoreApplication::translate("Settings", source), QString::fromUtf8(source));
}

TEST(Translation, LanguageChoiceIsASettingThatTakesEffectAfterARestart)
{
    Settings s;
    ApplyDefaultSettings(s);
    EXPECT_EQ(s.Language, QStringLiteral("auto"));
    ScriptedPrompts p;
    SettingsController c(s, p);
    EXPECT_EQ(c.languageIndex(), 0);
    c.chooseLanguage(2);
    EXPECT_EQ(s.Language, QStringLiteral("en"));
    EXPECT_EQ(p.messages, QStringList{QString::fromUtf8("TERVOを再起動後有効になります")});
    c.chooseLanguage(2);
    EXPECT_EQ(p.messages.size(), 1);
    c.chooseLanguage(1);
    EXPECT_EQ(s.Language, QStringLiteral("ja"));
    EXPECT_EQ(c.languageIndex(), 1);
    Settings again;
    ASSERT_TRUE(parseSettingsText(settingsText(s), again).complete());
    EXPECT_EQ(again.Language, QStringLiteral("ja"));
}
