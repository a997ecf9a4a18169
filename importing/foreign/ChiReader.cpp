// CH Instruments text exports: date, technique, "Key (unit) = value" lines, a column title line,
// then comma-separated rows.
#include "ForeignFile.h"
#include "TextLines.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace tervo::foreign {

namespace {

// "Potential/V, Current/A": every comma-separated part names a quantity with a slash.
bool isTitleLine(const QString &text)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() < 2)
        return false;
    for (const QString &p : parts)
        if (!p.contains(QLatin1Char('/')) || p.contains(QLatin1Char('=')))
            return false;
    return true;
}

} // namespace

ReadResult readChi(const QByteArray &bytes, const QString &path)
{
    LineReader lines = linesOf(bytes);
    std::string_view line;
    QString date;
    if (lines.next(line))
        date = decodeText(trimmed(line));
    ForeignFile f;
    f.path = path;
    f.format = Format::CHI;
    if (lines.next(line))
        f.technique = decodeText(trimmed(line));
    if (modeForTechnique(f.technique) == ModeNone)
        return readFailure(path, 2,
                           QStringLiteral("a CH Instruments technique name such as \"Cyclic "
                                          "Voltammetry\" or \"Amperometric i-t Curve\""));
    f.mode = modeForTechnique(f.technique);
    f.measTime = measTimeFrom(date, QString(), false);

    double init = 0, high = 0, low = 0;
    bool haveInit = false, haveHigh = false, haveLow = false;
    QString direction;
    bool titled = false;
    while (lines.next(line)) {
        const QString text = decodeText(trimmed(line));
        if (isTitleLine(text)) {
            for (const QString &t : text.split(QLatin1Char(','))) {
                Column c;
                c.title = t.trimmed();
                if (const std::optional<UnitInfo> u = unitFromTitle(c.title))
                    c.unit = u->name;
                f.columns.push_back(std::move(c));
            }
            titled = true;
            break;
        }
        if (text.startsWith(QLatin1String("Header:"))) {
            f.title = text.mid(7).trimmed();
            continue;
        }
        const qsizetype eq = text.indexOf(QLatin1Char('='));
        if (eq <= 0)
            continue;
        const QString key = text.left(eq).trimmed();
        const QString value = text.mid(eq + 1).trimmed();
        if (key == QLatin1String("Init E (V)"))
            haveInit = headerNumber(value, init);
        else if (key == QLatin1String("High E (V)"))
            haveHigh = headerNumber(value, high);
        else if (key == QLatin1String("Low E (V)"))
            haveLow = headerNumber(value, low);
        else if (key == QLatin1String("Init P/N"))
            direction = value;
        else if (key == QLatin1String("Scan Rate (V/s)") && headerNumber(value, f.scanrate))
            f.scanrate *= 1000;
    }
    if (!titled)
        return readFailure(
            path, lines.lineNumber() + 1,
            QStringLiteral("a column title line such as \"Potential/V, Current/A\", but "
                           "the file ends here"));
    const int titleLine = lines.lineNumber();
    std::vector<std::string_view> fields;
    for (Column &c : f.columns)
        c.values.reserve(static_cast<std::size_t>(bytes.size()) / (12 * f.columns.size()));
    while (lines.next(line)) {
        if (isBlank(line))
            continue;
        splitFields(line, ',', fields);
        if (!appendRow(fields, lines.lineNumber(), f.columns))
            return readFailure(path, lines.lineNumber(),
                               QStringLiteral("%1 comma-separated values, found %2")
                                   .arg(f.columns.size())
                                   .arg(fields.size()));
    }
    if (f.title.isEmpty())
        f.title = QFileInfo(path).completeBaseName();

    const int time =
        preferredColumn(f.columns, static_cast<int>(Quantity::Time), {QStringLiteral("Time/")});
    const int potential = preferredColumn(f.columns, static_cast<int>(Quantity::Potential),
                                          {QStringLiteral("Potential/")});
    f.x = f.mode == ModePS ? time : potential;
    f.y = preferredColumn(f.columns, static_cast<int>(Quantity::Current),
                          {QStringLiteral("Current/")});
    if (f.x < 0 || f.y < 0)
        return readFailure(
            path, titleLine,
            QStringLiteral("a %1 column and a current column in the title line")
                .arg(f.mode == ModePS ? QStringLiteral("time") : QStringLiteral("potential")));
    f.xUnit = f.columns[static_cast<std::size_t>(f.x)].unit;
    f.yUnit = f.columns[static_cast<std::size_t>(f.y)].unit;

    if (f.mode == ModeCV && haveInit && haveHigh && haveLow) {
        // The first turn is the limit the scan heads for: "P" starts positive-going.
        bool positive = direction.startsWith(QLatin1Char('P'));
        if (direction.isEmpty()) {
            const std::array<double, 3> turns =
                turningPotentials(f.columns[static_cast<std::size_t>(f.x)].values.data(), f.rows());
            positive = turns[1] >= turns[0];
        }
        f.programme = std::array<double, 3>{init, positive ? high : low, positive ? low : high};
    }
    // The convention is not written in the file: a loop tells it; otherwise keep the sign.
    const int convention = f.mode == ModeCV
                               ? currentConvention(f.columns[static_cast<std::size_t>(f.x)].values,
                                                   f.columns[static_cast<std::size_t>(f.y)].values)
                               : 0;
    f.flipCurrent = convention < 0;
    f.signNote = convention < 0
                     ? QStringLiteral("cathodic currents positive in the file (the loop runs "
                                      "that way)")
                 : convention > 0
                     ? QStringLiteral("anodic currents positive in the file (the loop runs that "
                                      "way)")
                     : QStringLiteral("convention not told by the file");
    ReadResult r;
    r.file = std::move(f);
    return r;
}

} // namespace tervo::foreign
