#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QSaveFile;

namespace tervo {

struct FileWriteResult {
    bool ok = true;
    QString error; // which file and why, when not ok
};

// A file written piece by piece through a temporary file in the same folder, which replaces
// path only at commit: a failed or abandoned write leaves the previous file as it was. Each piece
// is handed to the disk as it is written, so a long write is mostly on disk by the commit.
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const QString &path);
    ~AtomicFileWriter(); // abandons the write unless committed

    bool write(std::string_view piece); // false once anything failed
    FileWriteResult commit();           // flushed to disk, then put in place

private:
    FileWriteResult failure() const;

    QString m_path;
    std::unique_ptr<QSaveFile> m_file;
    long long m_written = 0;
    QString m_error;
};

// Writes bytes to path through a temporary file in the same folder, so a failed write leaves the
// previous file as it was.
FileWriteResult writeFileAtomically(const QString &path, const QByteArray &bytes);
// The same for text made in pieces, written one after the other.
FileWriteResult writeFileAtomically(const QString &path, const std::vector<std::string> &pieces);

} // namespace tervo
