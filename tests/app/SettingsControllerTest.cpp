#include "app/SettingsController.h"
#include "support/TestDoubles.h"

#include <gtest/gtest.h>

using namespace tervo;

TEST(SettingsDialog, GPIBAddressArrowsStopAtTheEnds)
{
    Settings s;
    ScriptedPrompts p;
    SettingsController c(s, p);
    s.GPIBAddress = 6;
    c.addressUp();
    EXPECT_EQ(s.GPIBAddress, 7);
    c.addressUp();
    EXPECT_EQ(s.GPIBAddress, 7);
    EXPECT_EQ(c.addressText(), QStringLiteral(" 7"));
    s.GPIBAddress = 1;
    c.addressDown();
    c.addressDown();
    EXPECT_EQ(s.GPIBAddress, 0);
    EXPECT_EQ(c.addressText(), QStringLiteral(" 0"));
    // A value out of range from the file comes back into range with the first step.
    s.GPIBAddress = 12;
    c.addressUp();
    EXPECT_EQ(s.GPIBAddress, 7);
}

TEST(SettingsDialog, ADDeviceChangeTellsAboutTheRestart)
{
    Settings s;
    ScriptedPrompts p;
    SettingsController c(s, p);
    s.ADBoard = 1;
    c.chooseADDevice(1);
    EXPECT_TRUE(p.messages.isEmpty());
    c.chooseADDevice(2);
    EXPECT_EQ(s.ADBoard, 2);
    EXPECT_EQ(p.messages, QStringList{QString::fromUtf8("TERVOを再起動後有効になります")});
}

TEST(SettingsDialog, ControlsWriteTheirSettingsAtOnce)
{
    Settings s;
    ScriptedPrompts p;
    SettingsController c(s, p);
    c.setCardNumber(QStringLiteral("2.5"));
    EXPECT_EQ(s.CardNumber, 2);
    c.setCardNumber(QStringLiteral("card"));
    EXPECT_EQ(s.CardNumber, 0);
    c.setDeviceName(QStringLiteral("AIO01"));
    EXPECT_EQ(s.DeviceName, QStringLiteral("AIO01"));
    c.setDynamicRange(true);
    EXPECT_EQ(s.DynamicRange, 1);
    c.chooseFGControl(2);
    c.chooseMotor(1);
    c.choosePowerControl(2);
    c.chooseDrawMethod(1);
    c.setSoundFile(QStringLiteral("/tmp/done.wav"));
    EXPECT_EQ(s.GPIBControl, 2);
    EXPECT_EQ(s.DABoard, 1);
    EXPECT_EQ(s.PowerControl, 2);
    EXPECT_EQ(s.PrevGraphDrawSetting, 1);
    EXPECT_EQ(s.SoundFileName, QStringLiteral("/tmp/done.wav"));

    s.RPMvsVoltageFile = QStringLiteral("old.txt");
    EXPECT_FALSE(c.chooseRpmFile());
    EXPECT_EQ(s.RPMvsVoltageFile, QStringLiteral("old.txt"));
    p.fileAnswers = {QStringLiteral("/data/rpm.txt")};
    EXPECT_TRUE(c.chooseRpmFile());
    EXPECT_EQ(s.RPMvsVoltageFile, QStringLiteral("/data/rpm.txt"));
    EXPECT_TRUE(p.messages.isEmpty());
}

TEST(SettingsDialog, MailServerFields)
{
    Settings s;
    ScriptedPrompts p;
    SettingsController c(s, p);
    c.setMailServer(QStringLiteral(" smtp.lab.example "));
    c.setMailFrom(QStringLiteral("tervo@lab.example"));
    c.setMailStartTLS(true);
    EXPECT_EQ(s.MailServer, "smtp.lab.example");
    EXPECT_EQ(s.MailFrom, "tervo@lab.example");
    EXPECT_EQ(s.MailStartTLS, 1);
    for (const auto &[text, port] : {std::pair{"587", 587}, {"0", 25}, {"70000", 25}, {"x", 25}}) {
        c.setMailPort(QString::fromLatin1(text));
        EXPECT_EQ(s.MailPort, port) << text;
    }
}

TEST(SettingsDialog, AllowUnencryptedHoldsForTheServerItWasTickedFor)
{
    Settings s;
    ScriptedPrompts p;
    SettingsController c(s, p);
    c.setMailServer(QStringLiteral("smtp.lab.example"));
    EXPECT_FALSE(c.mailAllowUnencrypted());
    c.setMailAllowUnencrypted(true);
    EXPECT_TRUE(c.mailAllowUnencrypted());
    c.setMailServer(QStringLiteral("smtp.elsewhere.example"));
    EXPECT_FALSE(c.mailAllowUnencrypted());
    c.setMailServer(QStringLiteral("smtp.lab.example"));
    EXPECT_TRUE(c.mailAllowUnencrypted());
    c.setMailAllowUnencrypted(false);
    EXPECT_FALSE(c.mailAllowUnencrypted());
}
