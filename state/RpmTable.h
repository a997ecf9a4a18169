#pragma once

#include <QString>
#include <vector>

namespace tervo {

struct RpmRow {
    double rpm = 0;
    double volt = 0;
};

constexpr int kRpmTableCapacity = 1000;

// Reads the rotation-rate calibration file (rate TAB voltage per line; lines with fewer than two
// fields are skipped). Valid only with at least two rows, at most kRpmTableCapacity rows and
// strictly increasing rates; on failure the table is left empty.
bool ReadRpmTable(const QString &path, std::vector<RpmRow> &table);

// The file text of a table: rate TAB voltage, CR LF.
QByteArray rpmTableText(const std::vector<RpmRow> &table);

} // namespace tervo
