#include "TextLines.h"

#include "ForeignFile.h"

#include "core/DateText.h"
#include "core/NumberParse.h"

#include <QDateTime>
#include <QRegularExpression>
#include <QStringDecoder>
#include <cmath>
#include <limits>

namespace tervo::foreign {

QString decodeText(std::string_view bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QByteArrayView view(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QString text = utf8(view);
    if (!utf8.hasError())
        return text;
    return QString::fromLatin1(view);
}

void splitFields(std::string_view line, char separator, std::vector<std::string_view> &out)
{
    out.clear();
    std::size_t start = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == separator) {
            out.push_back(line.substr(start, i - start));
            start = i + 1;
        }
    }
    out.push_back(line.substr(start));
}

void splitBlanks(std::string_view line, std::vector<std::string_view> &out)
{
    out.clear();
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t')
            ++i;
        if (i > start)
            out.push_back(line.substr(start, i - start));
    }
}

std::string_view trimmed(std::string_view s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t'))
        ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t'))
        --e;
    return s.substr(b, e - b);
}

bool isBlank(std::string_view s)
{
    return trimmed(s).empty();
}

bool headerNumber(const QString &text, double &value)
{
    QString t = text.trimmed();
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    const QByteArray bytes = t.toLatin1();
    const std::string_view view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    if (numericPrefixLength(view) == 0)
        return false;
    value = parseDecimal(view);
    return true;
}

bool appendRow(const std::vector<std::string_view> &fields, int line, std::vector<Column> &columns)
{
    if (fields.size() < columns.size())
        return false;
    for (std::size_t c = 0; c < columns.size(); ++c) {
        double v = 0;
        if (!parseDataNumber(fields[c], v) || !std::isfinite(v)) {
            v = std::numeric_limits<double>::quiet_NaN();
            if (columns[c].badLine == 0)
                columns[c].badLine = line;
        }
        columns[c].values.push_back(v);
    }
    return true;
}

int preferredColumn(const std::vector<Column> &columns, int quantity,
                    const QStringList &preferredPrefixes)
{
    for (const QString &prefix : preferredPrefixes)
        for (std::size_t c = 0; c < columns.size(); ++c)
            if (columns[c].title.startsWith(prefix))
                return static_cast<int>(c);
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const std::optional<UnitInfo> u = unitFromText(columns[c].unit);
        if (u && static_cast<int>(u->quantity) == quantity)
            return static_cast<int>(c);
    }
    return -1;
}

QString measTimeFrom(const QString &date, const QString &time, bool dayFirst)
{
    static const QRegularExpression numeric(
        QStringLiteral("^\\s*(\\d{1,4})[./-](\\d{1,2})[./-](\\d{1,4})\\s*(.*)$"));
    static const QRegularExpression named(
        QStringLiteral("^\\s*([A-Za-z]{3})[a-z]*\\.?\\s+(\\d{1,2}),\\s*(\\d{4})\\s*(.*)$"));
    static const QStringList months = {
        QStringLiteral("jan"), QStringLiteral("feb"), QStringLiteral("mar"), QStringLiteral("apr"),
        QStringLiteral("may"), QStringLiteral("jun"), QStringLiteral("jul"), QStringLiteral("aug"),
        QStringLiteral("sep"), QStringLiteral("oct"), QStringLiteral("nov"), QStringLiteral("dec")};
    const QString raw = (date.trimmed() + QLatin1Char(' ') + time.trimmed()).trimmed();
    int year = 0, month = 0, day = 0;
    QString rest;
    if (const QRegularExpressionMatch m = numeric.match(date); m.hasMatch()) {
        const int a = m.captured(1).toInt(), b = m.captured(2).toInt(), c = m.captured(3).toInt();
        rest = m.captured(4);
        if (m.captured(1).size() == 4) {
            year = a;
            month = b;
            day = c;
        } else {
            year = c < 100 ? 2000 + c : c;
            // A first number above 12 can only be the day, a second above 12 only the day.
            const bool df = a > 12 || (b <= 12 && dayFirst);
            day = df ? a : b;
            month = df ? b : a;
        }
    } else if (const QRegularExpressionMatch n = named.match(date); n.hasMatch()) {
        month = static_cast<int>(months.indexOf(n.captured(1).toLower())) + 1;
        day = n.captured(2).toInt();
        year = n.captured(3).toInt();
        rest = n.captured(4);
    }
    const QDate d(year, month, day);
    if (!d.isValid())
        return raw;
    QString clock = (rest.trimmed() + QLatin1Char(' ') + time.trimmed()).trimmed();
    QTime t(0, 0);
    if (!clock.isEmpty()) {
        static const QRegularExpression hms(
            QStringLiteral("^(\\d{1,2}):(\\d{2})(?::(\\d{2}))?(?:[.,]\\d+)?\\s*([AaPp][Mm])?"));
        const QRegularExpressionMatch c = hms.match(clock);
        if (!c.hasMatch())
            return raw;
        int h = c.captured(1).toInt();
        const QString ampm = c.captured(4).toLower();
        if (ampm == QLatin1String("pm") && h < 12)
            h += 12;
        if (ampm == QLatin1String("am") && h == 12)
            h = 0;
        t = QTime(h, c.captured(2).toInt(), c.captured(3).toInt());
        if (!t.isValid())
            return raw;
    }
    return generalDateText(QDateTime(d, t));
}

} // namespace tervo::foreign
