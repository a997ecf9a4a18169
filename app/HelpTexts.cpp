#include "HelpTexts.h"

#include "BuildInfo.h"

#include <QDir>
#include <QFile>

namespace tervo {

QString gettingStartedText()
{
    QFile guide(QStringLiteral(":/guide/GettingStarted.md"));
    if (!guide.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(guide.readAll());
}

QString aboutText(const QString &settingsFolder, bool readOnly)
{
    QString folder = QDir::toNativeSeparators(settingsFolder);
    if (readOnly)
        folder += QStringLiteral(" (read-only: another TERVO holds it)");
    return QStringLiteral("TERVO %1\n\nBuild: %2\nSettings: %3\n\n%4")
        .arg(QStringLiteral(TERVO_VERSION), QStringLiteral(TERVO_BUILD), folder,
             QString::fromLatin1(kLicence));
}

} // namespace tervo
