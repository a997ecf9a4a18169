#include "Translation.h"

#include "state/Settings.h"

#include <QCoreApplication>
#include <QFile>
#include <QTranslator>

namespace tervo {

bool wantsEnglish(const QString &languageSetting, const QLocale &system)
{
    const QString choice = languageSetting.trimmed().toLower();
    if (choice == QLatin1String(kLanguageEnglish))
        return true;
    if (choice == QLatin1String(kLanguageJapanese))
        return false;
    return system.language() != QLocale::Japanese;
}

QString languageSetting(const QString &settingsPath)
{
    QFile f(settingsPath);
    // A settings file is small; anything far beyond that is not one.
    constexpr qint64 kMaxSettingsBytes = 4 * 1024 * 1024;
    if (!f.open(QIODevice::ReadOnly) || f.size() > kMaxSettingsBytes)
        return QString::fromLatin1(kLanguageAuto);
    Settings s;
    ApplyDefaultSettings(s);
    parseSettingsText(f.readAll(), s);
    return s.Language;
}

QTranslator *installEnglish(QCoreApplication &app)
{
    auto *translator = new QTranslator(&app);
    if (!translator->load(QStringLiteral(":/i18n/tervo_en.qm")) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    return translator;
}

bool installTranslation(QCoreApplication &app, const QString &settingsPath, const QLocale &system)
{
    if (!wantsEnglish(languageSetting(settingsPath), system))
        return false;
    return installEnglish(app) != nullptr;
}

} // namespace tervo
