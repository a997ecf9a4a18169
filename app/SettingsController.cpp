#include "SettingsController.h"

#include "Translation.h"
#include "core/NumberFormat.h"
#include "core/NumberParse.h"

#include <QCoreApplication>
#include <algorithm>
#include <iterator>

namespace tervo {

SettingsController::SettingsController(Settings &settings, Prompts &prompts)
    : m_settings(settings), m_prompts(prompts)
{
}

const QStringList &SettingsController::adDeviceCaptions()
{
    static const QStringList l{QStringLiteral("AD12-8J(98)"), QStringLiteral("AD12-16U(PCI)E"),
                               QStringLiteral("PCI-9112")};
    return l;
}

const QStringList &SettingsController::fgControlCaptions()
{
    static const QStringList l{QStringLiteral("No Control"),
                               QStringLiteral("Controll by GPIB-232CT-A"),
                               QStringLiteral("Controll by Contec GPIB Boards/9801-29n")};
    return l;
}

const QStringList &SettingsController::motorCaptions()
{
    static const QStringList l{QStringLiteral("No Control"),
                               QStringLiteral("Controlled by PCI-9112 DA Output")};
    return l;
}

const QStringList &SettingsController::powerControlCaptions()
{
    static const QStringList l{QStringLiteral("No Control"), QStringLiteral("Printer Port"),
                               QStringLiteral("PCI-9112")};
    return l;
}

const QStringList &SettingsController::drawMethodCaptions()
{
    static const QStringList l{QStringLiteral("Line Connection"), QStringLiteral("Dot")};
    return l;
}

const QStringList &SettingsController::languageCaptions()
{
    static const QStringList l{QStringLiteral("System Language"), QStringLiteral("Japanese"),
                               QStringLiteral("English")};
    return l;
}

namespace {

const char *const kLanguageValues[] = {kLanguageAuto, kLanguageJapanese, kLanguageEnglish};

} // namespace

void SettingsController::chooseLanguage(int index)
{
    if (index < 0 || index >= static_cast<int>(std::size(kLanguageValues)))
        return;
    if (index != languageIndex())
        m_prompts.message(QCoreApplication::translate("Settings", kRestartMessage));
    m_settings.Language = QString::fromLatin1(kLanguageValues[index]);
}

int SettingsController::languageIndex() const
{
    const QString value = m_settings.Language.trimmed().toLower();
    for (int i = 0; i < static_cast<int>(std::size(kLanguageValues)); ++i)
        if (value == QLatin1String(kLanguageValues[i]))
            return i;
    return 0; // anything else is taken as "auto"
}

void SettingsController::chooseADDevice(int index)
{
    if (index != m_settings.ADBoard)
        m_prompts.message(QCoreApplication::translate("Settings", kRestartMessage));
    m_settings.ADBoard = index;
}

void SettingsController::setDeviceName(const QString &text)
{
    m_settings.DeviceName = text;
}

void SettingsController::setCardNumber(const QString &text)
{
    m_settings.CardNumber = roundHalfEven(parseDecimal(QStringView(text)));
}

void SettingsController::setDynamicRange(bool on)
{
    m_settings.DynamicRange = on ? 1 : 0;
}

void SettingsController::chooseFGControl(int index)
{
    m_settings.GPIBControl = index;
}

void SettingsController::addressUp()
{
    m_settings.GPIBAddress = std::min(m_settings.GPIBAddress + 1, kMaxGPIBAddress);
}

void SettingsController::addressDown()
{
    m_settings.GPIBAddress = std::max(m_settings.GPIBAddress - 1, 0);
}

QString SettingsController::addressText() const
{
    return formatGeneralSigned(m_settings.GPIBAddress);
}

void SettingsController::chooseMotor(int index)
{
    m_settings.DABoard = index;
}

bool SettingsController::chooseRpmFile()
{
    const QString path =
        m_prompts.openFileName(QStringLiteral("RPM vs. Voltage File"), QStringLiteral("*.*"));
    if (path.isEmpty())
        return false;
    m_settings.RPMvsVoltageFile = path;
    return true;
}

void SettingsController::choosePowerControl(int index)
{
    m_settings.PowerControl = index;
}

void SettingsController::chooseDrawMethod(int index)
{
    m_settings.PrevGraphDrawSetting = index;
}

void SettingsController::setSoundFile(const QString &path)
{
    m_settings.SoundFileName = path;
}

void SettingsController::setMailPort(const QString &text)
{
    const double port = parseDecimal(text);
    m_settings.MailPort = port >= 1 && port <= 65535 ? roundHalfEven(port) : 25;
}

} // namespace tervo
