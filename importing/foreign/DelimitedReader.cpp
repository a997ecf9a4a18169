// Any delimited text (CSV, TSV, semicolons, blanks): header lines skipped, a title line if there
// is one, then rows of numbers.
#include "ForeignFile.h"
#include "TextLines.h"
#include "core/NumberParse.h"

#include <QFileInfo>

namespace tervo::foreign {

namespace {

struct Line {
    std::string_view text;
    int number;
};

// Exports put their data within the first thousand lines; the search stops there.
constexpr std::size_t kMaxHeaderLines = 1000;
// No instrument exports more values per row; a longer line is not a row of data.
constexpr std::size_t kMaxValuesPerRow = 64;

// ' ' stands for runs of blanks and tabs.
constexpr char kSeparators[] = {'\t', ';', ',', ' '};

void split(std::string_view line, char separator, std::vector<std::string_view> &out)
{
    if (separator == ' ')
        splitBlanks(line, out);
    else
        splitFields(line, separator, out);
    // A separator at the end of the line ends the row, it does not start a field.
    while (out.size() > 1 && isBlank(out.back()))
        out.pop_back();
}

// Number of values when every field is a number, else 0.
int numericCount(std::string_view line, char separator, std::vector<std::string_view> &fields)
{
    split(line, separator, fields);
    if (fields.size() > kMaxValuesPerRow)
        return 0;
    double v = 0;
    for (const std::string_view f : fields)
        if (!parseDataNumber(f, v))
            return 0;
    return static_cast<int>(fields.size());
}

struct Layout {
    char separator = 0;
    std::size_t start = 0; // index into the lines of the first data row
    int count = 0;
    std::size_t rows = 0; // lines of the whole file that are rows of count numbers
};

// The data with this separator, judged by the whole file: the number of values (two or more)
// that most lines holding only numbers have, and the first such line. A row that does not fit
// after it is then the reader's error, not the end of a header.
std::optional<Layout> findData(const std::vector<Line> &lines, char separator)
{
    std::vector<std::string_view> fields;
    std::vector<std::size_t> rowsWith(kMaxValuesPerRow + 1, 0);
    std::vector<std::size_t> firstWith(kMaxValuesPerRow + 1, lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto n = static_cast<std::size_t>(numericCount(lines[i].text, separator, fields));
        if (n < 2)
            continue;
        if (rowsWith[n]++ == 0)
            firstWith[n] = i;
    }
    std::optional<Layout> best;
    for (std::size_t n = 2; n <= kMaxValuesPerRow; ++n) {
        if (rowsWith[n] == 0 || firstWith[n] >= kMaxHeaderLines)
            continue;
        if (!best || rowsWith[n] > best->rows ||
            (rowsWith[n] == best->rows && firstWith[n] < best->start))
            best = Layout{separator, firstWith[n], static_cast<int>(n), rowsWith[n]};
    }
    return best;
}

QString separatorName(char s)
{
    switch (s) {
    case '\t':
        return QStringLiteral("TAB");
    case ';':
        return QStringLiteral("\";\"");
    case ',':
        return QStringLiteral("\",\"");
    default:
        return QStringLiteral("blanks");
    }
}

int columnOf(const std::vector<Column> &columns, Quantity quantity, const QStringList &words)
{
    for (std::size_t c = 0; c < columns.size(); ++c) {
        const std::optional<UnitInfo> u = unitFromText(columns[c].unit);
        if (u && u->quantity == quantity)
            return static_cast<int>(c);
    }
    for (std::size_t c = 0; c < columns.size(); ++c)
        for (const QString &w : words)
            if (columns[c].title.contains(w, Qt::CaseInsensitive))
                return static_cast<int>(c);
    return -1;
}

} // namespace

ReadResult readDelimited(const QByteArray &bytes, const QString &path)
{
    if (bytes.left(4096).contains('\0'))
        return readFailure(path, 1, QStringLiteral("text, but the file holds binary data"));
    std::vector<Line> lines;
    {
        LineReader cursor = linesOf(bytes);
        std::string_view text;
        while (cursor.next(text))
            if (!isBlank(text))
                lines.push_back({text, cursor.lineNumber()});
    }
    std::optional<Layout> best;
    for (const char s : kSeparators) {
        // The separator that makes the most rows of numbers wins; then the earlier start.
        const std::optional<Layout> l = findData(lines, s);
        if (l && (!best || l->rows > best->rows ||
                  (l->rows == best->rows && (l->start < best->start ||
                                             (l->start == best->start && l->count > best->count)))))
            best = l;
    }
    if (!best)
        return readFailure(
            path, lines.empty() ? 1 : lines.front().number,
            QStringLiteral("rows of two or more numbers separated by TAB, \";\", \",\" "
                           "or blanks"));

    ForeignFile f;
    f.path = path;
    f.format = Format::Delimited;
    f.title = QFileInfo(path).completeBaseName();
    f.headerLines = lines[best->start].number - 1;
    std::vector<std::string_view> fields;
    QStringList titles;
    if (best->start > 0) {
        split(lines[best->start - 1].text, best->separator, fields);
        if (static_cast<int>(fields.size()) == best->count)
            for (const std::string_view t : fields)
                titles << decodeText(trimmed(t));
    }
    for (int c = 0; c < best->count; ++c) {
        Column col;
        col.title = titles.isEmpty() ? QStringLiteral("Column %1").arg(c + 1)
                                     : titles[static_cast<qsizetype>(c)];
        if (const std::optional<UnitInfo> u = unitFromTitle(col.title))
            col.unit = u->name;
        col.values.reserve(lines.size() - best->start);
        f.columns.push_back(std::move(col));
    }
    bool decimalComma = false;
    for (std::size_t i = best->start; i < lines.size(); ++i) {
        // Every row after the first must be one like it: a file that does not read completely
        // is refused rather than imported in part.
        if (numericCount(lines[i].text, best->separator, fields) != best->count) {
            QString found = QString::number(fields.size());
            double v = 0;
            if (static_cast<int>(fields.size()) == best->count)
                for (const std::string_view field : fields)
                    if (!parseDataNumber(field, v)) {
                        found = QStringLiteral("\"%1\"").arg(decodeText(trimmed(field)));
                        break;
                    }
            return readFailure(path, lines[i].number,
                               QStringLiteral("%1 values separated by %2, found %3")
                                   .arg(best->count)
                                   .arg(separatorName(best->separator))
                                   .arg(found));
        }
        appendRow(fields, lines[i].number, f.columns);
        if (!decimalComma && best->separator != ',')
            for (const std::string_view v : fields)
                decimalComma = decimalComma || v.find(',') != std::string_view::npos;
    }
    f.technique = QStringLiteral("values separated by %1, decimal %2")
                      .arg(separatorName(best->separator),
                           decimalComma ? QStringLiteral("comma") : QStringLiteral("point"));

    const int potential = columnOf(f.columns, Quantity::Potential,
                                   {QStringLiteral("potential"), QStringLiteral("E/")});
    const int time = columnOf(f.columns, Quantity::Time, {QStringLiteral("time")});
    const int current =
        columnOf(f.columns, Quantity::Current, {QStringLiteral("current"), QStringLiteral("I/")});
    f.mode = potential < 0 && time >= 0 ? ModePS : ModeCV;
    f.x = f.mode == ModePS ? time : (potential >= 0 ? potential : 0);
    f.y = current >= 0 ? current : (f.x == 1 ? 0 : 1);
    f.xUnit = f.columns[static_cast<std::size_t>(f.x)].unit;
    f.yUnit = f.columns[static_cast<std::size_t>(f.y)].unit;
    if (f.xUnit.isEmpty() || !xUnitNames().contains(f.xUnit))
        f.xUnit = f.mode == ModePS ? QStringLiteral("s") : QStringLiteral("V");
    if (f.yUnit.isEmpty() || !yUnitNames().contains(f.yUnit))
        f.yUnit = QStringLiteral("A");
    f.signNote = QStringLiteral("anodic currents positive assumed");
    ReadResult r;
    r.file = std::move(f);
    return r;
}

} // namespace tervo::foreign
