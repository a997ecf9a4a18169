// EC-Lab text exports (.mpt): a counted header, a TAB-separated title line, TAB-separated rows.
#include "ForeignFile.h"
#include "TextLines.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace tervo::foreign {

namespace {

// Parameter lines are the name, blanks, then one value per sequence; we take the first.
const char *const kParameters[] = {"dE/dt unit", "dE/dt", "Ei (V)", "E1 (V)", "E2 (V)"};

} // namespace

ReadResult readEcLab(const QByteArray &bytes, const QString &path)
{
    LineReader lines = linesOf(bytes);
    std::string_view line;
    if (!lines.next(line) || trimmed(line) != "EC-Lab ASCII FILE")
        return readFailure(path, 1,
                           QStringLiteral("\"EC-Lab ASCII FILE\" (an EC-Lab text export)"));
    static const QRegularExpression count(QStringLiteral("^Nb header lines\\s*:\\s*(\\d+)\\s*$"));
    const QRegularExpressionMatch m =
        lines.next(line) ? count.match(decodeText(line)) : QRegularExpressionMatch();
    const int headerLines = m.hasMatch() ? m.captured(1).toInt() : 0;
    if (headerLines < 3 || headerLines > 100000)
        return readFailure(path, 2, QStringLiteral("\"Nb header lines : N\" with N of 3 or more"));

    ForeignFile f;
    f.path = path;
    f.format = Format::ECLab;
    f.title = QFileInfo(path).completeBaseName();
    f.headerLines = headerLines - 1;
    QString dEdt, dEdtUnit;
    double potentials[3] = {0, 0, 0};
    bool potentialSeen[3] = {false, false, false};
    while (lines.lineNumber() < headerLines - 1) {
        if (!lines.next(line))
            return readFailure(path, lines.lineNumber() + 1,
                               QStringLiteral("%1 header lines (\"Nb header lines : %1\"), but the "
                                              "file ends here")
                                   .arg(headerLines));
        const QString text = decodeText(line).trimmed();
        if (text.isEmpty())
            continue;
        const qsizetype colon = text.indexOf(QLatin1String(" : "));
        if (colon > 0) {
            const QString key = text.left(colon).trimmed();
            const QString value = text.mid(colon + 3).trimmed();
            if (key == QLatin1String("Acquisition started on"))
                f.measTime = measTimeFrom(value, QString(), false);
            else if (key == QLatin1String("Electrode surface area"))
                headerNumber(value, f.area);
            continue;
        }
        bool parameter = false;
        for (const char *name : kParameters) {
            const QLatin1String p(name);
            if (!text.startsWith(p) || text.size() == p.size() || !text.at(p.size()).isSpace())
                continue;
            parameter = true;
            const QString value = text.mid(p.size()).trimmed().section(
                QRegularExpression(QStringLiteral("\\s+")), 0, 0);
            if (p == QLatin1String("dE/dt unit"))
                dEdtUnit = value;
            else if (p == QLatin1String("dE/dt"))
                dEdt = value;
            else {
                const int i =
                    p == QLatin1String("Ei (V)") ? 0 : (p == QLatin1String("E1 (V)") ? 1 : 2);
                potentialSeen[i] = headerNumber(value, potentials[i]);
            }
            break;
        }
        // The technique is the first plain line of the header.
        if (!parameter && f.technique.isEmpty() && modeForTechnique(text) != ModeNone)
            f.technique = text;
    }
    double rate = 0;
    if (headerNumber(dEdt, rate)) {
        if (dEdtUnit == QLatin1String("V/s"))
            rate *= 1000;
        else if (dEdtUnit == QLatin1String("mV/min"))
            rate /= 60;
        f.scanrate = rate;
    }
    if (potentialSeen[0] && potentialSeen[1] && potentialSeen[2])
        f.programme = std::array<double, 3>{potentials[0], potentials[1], potentials[2]};

    if (!lines.next(line))
        return readFailure(
            path, headerLines,
            QStringLiteral("the TAB-separated column titles, but the file ends here"));
    std::vector<std::string_view> fields;
    splitFields(line, '\t', fields);
    while (!fields.empty() && isBlank(fields.back()))
        fields.pop_back();
    if (fields.size() < 2)
        return readFailure(path, lines.lineNumber(),
                           QStringLiteral("the TAB-separated column titles (\"time/s\", \"Ewe/V\", "
                                          "\"<I>/mA\", ...)"));
    for (const std::string_view t : fields) {
        Column c;
        c.title = decodeText(trimmed(t));
        if (const std::optional<UnitInfo> u = unitFromTitle(c.title))
            c.unit = u->name;
        f.columns.push_back(std::move(c));
    }
    const std::size_t expectedRows =
        static_cast<std::size_t>(bytes.size()) / (f.columns.size() * 8 + 1);
    for (Column &c : f.columns)
        c.values.reserve(expectedRows);
    while (lines.next(line)) {
        if (isBlank(line))
            continue;
        splitFields(line, '\t', fields);
        if (!appendRow(fields, lines.lineNumber(), f.columns))
            return readFailure(path, lines.lineNumber(),
                               QStringLiteral("%1 TAB-separated values, found %2")
                                   .arg(f.columns.size())
                                   .arg(fields.size()));
    }

    f.mode = modeForTechnique(f.technique);
    const int y = preferredColumn(f.columns, static_cast<int>(Quantity::Current),
                                  {QStringLiteral("<I>/"), QStringLiteral("I/")});
    const int time =
        preferredColumn(f.columns, static_cast<int>(Quantity::Time), {QStringLiteral("time/")});
    const int potential = preferredColumn(f.columns, static_cast<int>(Quantity::Potential),
                                          {QStringLiteral("Ewe/"), QStringLiteral("<Ewe>/")});
    if (f.mode == ModeNone)
        f.mode = potential >= 0 ? ModeCV : ModePS;
    f.x = f.mode == ModePS ? time : potential;
    f.y = y;
    if (f.x < 0 || f.y < 0)
        return readFailure(
            path, headerLines,
            QStringLiteral("a %1 column and a current column among the titles")
                .arg(f.mode == ModePS ? QStringLiteral("time") : QStringLiteral("potential")));
    f.xUnit = f.columns[static_cast<std::size_t>(f.x)].unit;
    f.yUnit = f.columns[static_cast<std::size_t>(f.y)].unit;
    f.signNote = QStringLiteral("anodic currents positive");
    ReadResult r;
    r.file = std::move(f);
    return r;
}

} // namespace tervo::foreign
