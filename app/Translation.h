#pragma once

#include <QLocale>
#include <QString>

class QCoreApplication;
class QTranslator;

namespace tervo {

// The values of the "Language" setting.
inline constexpr char kLanguageAuto[] = "auto";
inline constexpr char kLanguageJapanese[] = "ja";
inline constexpr char kLanguageEnglish[] = "en";

// Whether the program shows its Japanese texts in English: always for "en", never for "ja",
// otherwise when the system's language is not Japanese.
bool wantsEnglish(const QString &languageSetting, const QLocale &system);

// The "Language" value of a settings file; "auto" when the file or the key is missing.
QString languageSetting(const QString &settingsPath);

// Installs the English texts into app; nothing when they cannot be loaded. The translator
// belongs to app.
QTranslator *installEnglish(QCoreApplication &app);

// Installs the English texts when the settings file and the system ask for them; true when
// installed. Called before any window is made, since windows take their texts when built.
bool installTranslation(QCoreApplication &app, const QString &settingsPath,
                        const QLocale &system = QLocale::system());

} // namespace tervo
