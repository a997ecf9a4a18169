// Gamry EXPLAIN files (.DTA): TAB-separated parameter lines, then one or more data tables.
#include "ForeignFile.h"
#include "TextLines.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace tervo::foreign {

namespace {

QString field(const std::vector<std::string_view> &fields, std::size_t i)
{
    return i < fields.size() ? decodeText(trimmed(fields[i])) : QString();
}

} // namespace

ReadResult readGamry(const QByteArray &bytes, const QString &path)
{
    LineReader lines = linesOf(bytes);
    std::string_view line;
    if (!lines.next(line) || trimmed(line) != "EXPLAIN")
        return readFailure(path, 1, QStringLiteral("\"EXPLAIN\" (a Gamry data file)"));

    ForeignFile f;
    f.path = path;
    f.format = Format::Gamry;
    QString date, time;
    double params[3] = {0, 0, 0};
    bool paramSeen[3] = {false, false, false};
    std::vector<std::string_view> fields;
    static const QRegularExpression curveName(QStringLiteral("^CURVE\\d*$"));
    QStringList curveTitles;
    bool anyCurve = false;

    bool pending = false; // a line read ahead by a table
    while (pending || lines.next(line)) {
        pending = false;
        if (isBlank(line))
            continue;
        splitFields(line, '\t', fields);
        const QString name = field(fields, 0);
        const QString type = field(fields, 1);
        if (name == QLatin1String("TAG")) {
            f.technique = type;
            continue;
        }
        if (type == QLatin1String("NOTES")) {
            bool ok = false;
            const int n = field(fields, 2).toInt(&ok);
            if (!ok || n < 0)
                return readFailure(path, lines.lineNumber(),
                                   QStringLiteral("the number of note lines after NOTES"));
            for (int i = 0; i < n; ++i)
                if (!lines.next(line))
                    return readFailure(
                        path, lines.lineNumber() + 1,
                        QStringLiteral("%1 note lines, but the file ends here").arg(n));
            continue;
        }
        if (type == QLatin1String("TABLE")) {
            const int tableLine = lines.lineNumber();
            bool counted = false;
            const int count = field(fields, 2).toInt(&counted);
            const bool keep = curveName.match(name).hasMatch();
            std::string_view titles, units;
            if (!lines.next(titles) || titles.empty() || titles[0] != '\t' || !lines.next(units) ||
                units.empty() || units[0] != '\t')
                return readFailure(path, lines.lineNumber() + (lines.atEnd() ? 1 : 0),
                                   QStringLiteral("the column names and the unit line of %1 (each "
                                                  "starting with a TAB)")
                                       .arg(name));
            splitFields(titles.substr(1), '\t', fields);
            while (!fields.empty() && isBlank(fields.back()))
                fields.pop_back();
            QStringList names;
            for (std::size_t i = 0; i < fields.size(); ++i)
                names << field(fields, i);
            splitFields(units.substr(1), '\t', fields);
            std::vector<Column> *columns = nullptr;
            std::vector<Column> skipped;
            if (keep) {
                if (!anyCurve) {
                    curveTitles = names;
                    for (qsizetype i = 0; i < names.size(); ++i) {
                        Column c;
                        c.title = names[i];
                        const std::optional<UnitInfo> u =
                            unitFromText(field(fields, static_cast<std::size_t>(i)));
                        c.unit = u ? u->name : QString();
                        f.columns.push_back(std::move(c));
                    }
                    anyCurve = true;
                } else if (names != curveTitles) {
                    return readFailure(
                        path, tableLine + 1,
                        QStringLiteral("the same columns in %1 as in the first curve").arg(name));
                }
                columns = &f.columns;
            } else {
                skipped.resize(static_cast<std::size_t>(names.size()));
                columns = &skipped;
            }
            int rows = 0;
            while (lines.next(line)) {
                if (line.empty() || line[0] != '\t') {
                    pending = true;
                    break;
                }
                splitFields(line.substr(1), '\t', fields);
                if (!appendRow(fields, lines.lineNumber(), *columns))
                    return readFailure(path, lines.lineNumber(),
                                       QStringLiteral("%1 TAB-separated values in %2, found %3")
                                           .arg(columns->size())
                                           .arg(name)
                                           .arg(fields.size()));
                ++rows;
            }
            if (counted && rows < count)
                return readFailure(
                    path, tableLine + 2 + rows + 1,
                    QStringLiteral("%1 rows in %2, found %3").arg(count).arg(name).arg(rows));
            continue;
        }
        const QString value = field(fields, 2);
        if (name == QLatin1String("TITLE"))
            f.title = value;
        else if (name == QLatin1String("DATE"))
            date = value;
        else if (name == QLatin1String("TIME"))
            time = value;
        else if (name == QLatin1String("SCANRATE"))
            headerNumber(value, f.scanrate);
        else if (name == QLatin1String("AREA"))
            headerNumber(value, f.area);
        else if (name == QLatin1String("VINIT"))
            paramSeen[0] = headerNumber(value, params[0]);
        else if (name == QLatin1String("VLIMIT1"))
            paramSeen[1] = headerNumber(value, params[1]);
        else if (name == QLatin1String("VLIMIT2"))
            paramSeen[2] = headerNumber(value, params[2]);
    }
    if (!anyCurve)
        return readFailure(
            path, lines.lineNumber() + 1,
            QStringLiteral("a data table headed \"CURVE\" + TAB + \"TABLE\", but the "
                           "file ends here"));
    if (f.title.isEmpty())
        f.title = QFileInfo(path).completeBaseName();
    // Day-first dates are written with dots ("17.7.2024").
    f.measTime = measTimeFrom(date, time, date.contains(QLatin1Char('.')));
    f.mode = modeForTechnique(f.technique);
    if (f.mode == ModeNone)
        f.mode = ModeCV;
    if (f.mode == ModeCV && paramSeen[0] && paramSeen[1] && paramSeen[2])
        f.programme = std::array<double, 3>{params[0], params[1], params[2]};
    f.x = static_cast<int>(
        curveTitles.indexOf(f.mode == ModePS ? QStringLiteral("T") : QStringLiteral("Vf")));
    f.y = static_cast<int>(curveTitles.indexOf(QStringLiteral("Im")));
    if (f.x < 0 || f.y < 0)
        return readFailure(path, 0,
                           QStringLiteral("columns \"%1\" and \"Im\" in the curve")
                               .arg(f.mode == ModePS ? QStringLiteral("T") : QStringLiteral("Vf")));
    f.xUnit = f.columns[static_cast<std::size_t>(f.x)].unit;
    f.yUnit = f.columns[static_cast<std::size_t>(f.y)].unit;
    // Gamry tables are in SI units even where the unit line is missing.
    if (f.xUnit.isEmpty())
        f.xUnit = f.mode == ModePS ? QStringLiteral("s") : QStringLiteral("V");
    if (f.yUnit.isEmpty())
        f.yUnit = QStringLiteral("A");
    f.signNote = QStringLiteral("anodic currents positive");
    ReadResult r;
    r.file = std::move(f);
    return r;
}

} // namespace tervo::foreign
