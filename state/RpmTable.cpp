#include "RpmTable.h"

#include "core/FileRead.h"
#include "core/LineReader.h"
#include "core/NumberFormat.h"
#include "core/NumberParse.h"

#include <string>
#include <string_view>

namespace tervo {

bool ReadRpmTable(const QString &path, std::vector<RpmRow> &table)
{
    table.clear();
    if (path.isEmpty())
        return false;
    QByteArray bytes;
    if (!readWholeFile(path, bytes).ok)
        return false;
    std::vector<RpmRow> rows;
    LineReader reader(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    std::string_view line;
    while (reader.next(line)) {
        const std::size_t tab = line.find('\t');
        if (tab == std::string_view::npos)
            continue;
        std::string_view second = line.substr(tab + 1);
        second = second.substr(0, second.find('\t'));
        rows.push_back({parseDecimal(line.substr(0, tab)), parseDecimal(second)});
        if (rows.size() > static_cast<std::size_t>(kRpmTableCapacity))
            return false;
    }
    if (rows.size() < 2)
        return false;
    for (std::size_t i = 1; i < rows.size(); ++i)
        if (!(rows[i].rpm > rows[i - 1].rpm))
            return false;
    table = std::move(rows);
    return true;
}

QByteArray rpmTableText(const std::vector<RpmRow> &table)
{
    std::string out;
    for (const RpmRow &r : table) {
        appendGeneral(out, r.rpm);
        out.push_back('\t');
        appendGeneral(out, r.volt);
        out.append("\r\n");
    }
    return QByteArray(out.data(), static_cast<qsizetype>(out.size()));
}

} // namespace tervo
