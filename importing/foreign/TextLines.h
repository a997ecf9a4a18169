#pragma once

// Helpers the readers share: lines of bytes, fields, header text, dates.

#include "core/LineReader.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <string_view>
#include <vector>

namespace tervo::foreign {

// The lines of a byte buffer; the bytes must outlive the reader.
inline LineReader linesOf(const QByteArray &bytes)
{
    return LineReader(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

// Header text: UTF-8 when it is valid, Latin-1 otherwise (exports from older PCs).
QString decodeText(std::string_view bytes);

// Splits at every separator; fields keep their blanks.
void splitFields(std::string_view line, char separator, std::vector<std::string_view> &out);
// Splits at runs of blanks and tabs; leading and trailing blanks give no field.
void splitBlanks(std::string_view line, std::vector<std::string_view> &out);

std::string_view trimmed(std::string_view s);
bool isBlank(std::string_view s);

// A header number that may use a decimal comma ("0,500"); false when there is no number.
bool headerNumber(const QString &text, double &value);

// An acquisition date and time as MeasTime text. dayFirst settles "7.8.2024" and "7/8/2024"
// when the numbers leave it open; unreadable dates come back as written.
QString measTimeFrom(const QString &date, const QString &time, bool dayFirst);

struct Column;

// Appends one data row to the columns; a field that is not a number is kept as NaN and marks
// its column with the line. False when the row has fewer fields than there are columns.
bool appendRow(const std::vector<std::string_view> &fields, int line, std::vector<Column> &columns);

// The first column whose title starts with one of the prefixes, else the first whose unit is of
// the quantity; -1 when none.
int preferredColumn(const std::vector<Column> &columns, int quantity,
                    const QStringList &preferredPrefixes);

} // namespace tervo::foreign
