#include "ColumnMemory.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QSettings>

namespace tervo::foreign {

namespace {

QString keyFor(const QStringList &titles)
{
    const QByteArray hash =
        QCryptographicHash::hash(columnPattern(titles).toUtf8(), QCryptographicHash::Sha1);
    return QStringLiteral("ForeignImportColumns/") + QString::fromLatin1(hash.toHex().left(16));
}

} // namespace

QString columnPattern(const QStringList &titles)
{
    static const QRegularExpression digits(QStringLiteral("\\d+"));
    QStringList parts;
    for (const QString &t : titles)
        parts << t.trimmed().toLower().replace(digits, QStringLiteral("#"));
    return parts.join(QLatin1Char('|'));
}

void rememberColumns(QSettings &settings, const ForeignFile &file)
{
    settings.setValue(keyFor(file.titles()),
                      QStringList{columnPattern(file.titles()), QString::number(file.x),
                                  QString::number(file.y), file.xUnit, file.yUnit,
                                  QString::number(file.mode)});
}

bool recallColumns(QSettings &settings, ForeignFile &file)
{
    const QStringList v = settings.value(keyFor(file.titles())).toStringList();
    // The pattern is stored too, so a hash collision never applies another file's choice.
    if (v.size() != 6 || v[0] != columnPattern(file.titles()))
        return false;
    const int count = static_cast<int>(file.columns.size());
    const int x = v[1].toInt(), y = v[2].toInt(), mode = v[5].toInt();
    if (x < 0 || x >= count || y < 0 || y >= count || !xUnitNames().contains(v[3]) ||
        !yUnitNames().contains(v[4]) || (mode != ModeCV && mode != ModeRDE && mode != ModePS))
        return false;
    file.x = x;
    file.y = y;
    file.xUnit = v[3];
    file.yUnit = v[4];
    file.mode = mode;
    return true;
}

} // namespace tervo::foreign
