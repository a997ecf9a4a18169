#include "OccupiedTracks.h"

#include "Tables.h"

#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

namespace tervo {

namespace {

QDateTime parseIn(const QLocale &locale, const QString &text, const QString &format)
{
    QDateTime when = locale.toDateTime(text, format);
    // A two-digit year reads as 19xx; this program records in this century.
    if (when.isValid() && !format.contains(QLatin1String("yyyy")) && when.date().year() < 2000)
        when = when.addYears(100);
    return when;
}

QDateTime parseMeasTime(const QString &text)
{
    const QLocale here;
    const QLocale c = QLocale::c();
    // Written in this locale's general date (see generalDateText), by older programs in the US
    // form, or by hand.
    for (const QLocale &locale : {here, c}) {
        const QString date = locale.dateFormat(QLocale::ShortFormat);
        for (const QLocale::FormatType f : {QLocale::LongFormat, QLocale::ShortFormat}) {
            const QDateTime when =
                parseIn(locale, text, date + QLatin1Char(' ') + locale.timeFormat(f));
            if (when.isValid())
                return when;
        }
    }
    // Without a trailing zone name ("UTC", "CET") the common forms remain.
    static const QRegularExpression zone(QStringLiteral("\\s+[A-Za-z][A-Za-z0-9+:-]*$"));
    QString bare = text;
    if (!bare.endsWith(QLatin1String("AM"), Qt::CaseInsensitive) &&
        !bare.endsWith(QLatin1String("PM"), Qt::CaseInsensitive))
        bare.remove(zone);
    for (const char *format :
         {"d MMM yyyy H:mm:ss", "d MMM yyyy H:mm", "M/d/yyyy h:mm:ss AP", "M/d/yyyy H:mm:ss",
          "yyyy/MM/dd H:mm:ss", "yyyy-MM-dd H:mm:ss", "yyyy-MM-ddTH:mm:ss"}) {
        const QDateTime when = parseIn(c, bare, QString::fromLatin1(format));
        if (when.isValid())
            return when;
    }
    return {};
}

} // namespace

QString recordedText(const QString &measTime)
{
    const QString text = measTime.trimmed();
    const QDateTime when = parseMeasTime(text);
    if (!when.isValid())
        return text;
    return QLocale::c().toString(when, QStringLiteral("d MMM yyyy HH:mm"));
}

QString occupiedTrackText(const TrackStore &store, int track)
{
    const TrackHeader &h = store[track];
    QString about = modeName(h.Mode);
    const QString recorded = recordedText(h.MeasTime);
    if (!recorded.isEmpty())
        about += QStringLiteral(", recorded ") + recorded;
    return QStringLiteral("Track %1 holds '%2' (%3)").arg(track).arg(h.Title, about);
}

int nextVacantTrack(const TrackStore &store, int first, int span)
{
    for (int step = 1; step < kUserTracks; ++step) {
        const int start = wrapTrack(first + step);
        if (start + span > kUserTracks)
            continue;
        bool vacant = true;
        for (int t = start; t < start + span && vacant; ++t)
            vacant = store.isVacant(t);
        if (vacant)
            return start;
    }
    return -1;
}

int askBeforeReplacing(Prompts &prompts, const TrackStore &store, int first, int span, bool movable)
{
    QStringList held;
    for (int t = first; t < first + span && t < kUserTracks; ++t)
        if (!store.isVacant(t))
            held << occupiedTrackText(store, t);
    if (held.isEmpty())
        return first;
    const QString question =
        held.join(QStringLiteral(".\n")) +
        (held.size() == 1 ? QStringLiteral(". Replace it?") : QStringLiteral(". Replace them?"));
    const int vacant = movable ? nextVacantTrack(store, first, span) : -1;
    QStringList buttons{QStringLiteral("Replace")};
    if (vacant >= 0)
        buttons << QStringLiteral("Use track %1").arg(vacant);
    buttons << QStringLiteral("Cancel");
    const int answer = prompts.choose(question, buttons);
    if (answer == 0)
        return first;
    if (vacant >= 0 && answer == 1)
        return vacant;
    return -1;
}

} // namespace tervo
