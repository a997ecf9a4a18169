#include "FileWrite.h"

#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <string_view>
#include <thread>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace tervo {

namespace {

// QSaveFile reports a full disk as "Unknown error"; the system's own text says what happened.
QString failureText(const QFileDevice &file, int err)
{
    if (err != 0 &&
        (file.errorString().isEmpty() || file.errorString() == QLatin1String("Unknown error")))
        return QString::fromLocal8Bit(std::strerror(err));
    return file.errorString();
}

} // namespace

AtomicFileWriter::AtomicFileWriter(const QString &path)
    : m_path(path), m_file(std::make_unique<QSaveFile>(path))
{
    if (!m_file->open(QIODevice::WriteOnly))
        m_error = m_file->errorString();
}

// An uncommitted QSaveFile discards its temporary file itself.
AtomicFileWriter::~AtomicFileWriter() = default;

bool AtomicFileWriter::write(std::string_view piece)
{
    if (!m_error.isEmpty())
        return false;
    const auto size = static_cast<qint64>(piece.size());
    errno = 0;
    if (m_file->write(piece.data(), size) != size || !m_file->flush()) {
        m_error = failureText(*m_file, errno);
        m_file->cancelWriting();
        return false;
    }
#ifdef Q_OS_LINUX
    // Start writing this piece out now, so the sync at commit waits only for the last ones.
    if (size > 0)
        ::sync_file_range(m_file->handle(), m_written, size, SYNC_FILE_RANGE_WRITE);
#endif
    m_written += size;
    return true;
}

FileWriteResult AtomicFileWriter::failure() const
{
    return {false, QStringLiteral("%1 could not be written: %2").arg(m_path, m_error)};
}

FileWriteResult AtomicFileWriter::commit()
{
    if (!m_error.isEmpty())
        return failure();
#ifdef Q_OS_LINUX
    // Replacing a file frees the old one's blocks, which takes as long as writing them; holding
    // the old file open moves that work to a thread of its own after the commit.
    const int old =
        ::open(QFile::encodeName(m_path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
#endif
    errno = 0;
    const bool ok = m_file->commit();
    if (!ok)
        m_error = failureText(*m_file, errno);
#ifdef Q_OS_LINUX
    if (old >= 0)
        std::thread([old] { ::close(old); }).detach();
#endif
    return ok ? FileWriteResult{} : failure();
}

FileWriteResult writeFileAtomically(const QString &path, const std::vector<std::string> &pieces)
{
    AtomicFileWriter w(path);
    for (const std::string &p : pieces)
        w.write(p);
    return w.commit();
}

FileWriteResult writeFileAtomically(const QString &path, const QByteArray &bytes)
{
    AtomicFileWriter w(path);
    w.write(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    return w.commit();
}

} // namespace tervo
