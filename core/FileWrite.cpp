#include "FileWrite.h"

#include <QSaveFile>
#include <string_view>

namespace tervo {

namespace {

FileWriteResult writePieces(const QString &path, const std::string_view *pieces, std::size_t count)
{
    QSaveFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {false, QStringLiteral("%1 could not be written: %2").arg(path, f.errorString())};
    for (std::size_t i = 0; i < count; ++i) {
        const auto size = static_cast<qint64>(pieces[i].size());
        if (f.write(pieces[i].data(), size) != size) {
            QString why = f.errorString();
            f.cancelWriting();
            return {false, QStringLiteral("%1 could not be written: %2").arg(path, why)};
        }
    }
    if (!f.commit())
        return {false, QStringLiteral("%1 could not be written: %2").arg(path, f.errorString())};
    return {};
}

} // namespace

FileWriteResult writeFileAtomically(const QString &path, const std::vector<std::string> &pieces)
{
    std::vector<std::string_view> views(pieces.begin(), pieces.end());
    return writePieces(path, views.data(), views.size());
}

FileWriteResult writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    const std::string_view view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return writePieces(path, &view, 1);
}

} // namespace tervo
