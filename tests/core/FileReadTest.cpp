#include "core/FileRead.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace tervo;

namespace {

QString writeFile(const QTemporaryDir &dir, const char *name, const QByteArray &bytes)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    QFile f(path);
    f.open(QIODevice::WriteOnly);
    f.write(bytes);
    return path;
}

} // namespace

TEST(FileRead, ReadsARegularFileUpToTheLimit)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, "ten.txt", "0123456789");
    QByteArray bytes;
    EXPECT_TRUE(readWholeFile(path, bytes, 10).ok);
    EXPECT_EQ(bytes, QByteArray("0123456789"));
    QByteArray kept("old");
    const FileReadResult r = readWholeFile(path, kept, 9);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.contains(path)) << r.error.toStdString();
    EXPECT_EQ(kept, QByteArray("old"));
}

TEST(FileRead, RefusesWhatIsNotARegularFile)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString &path : {fifo, dir.path(), QStringLiteral("/dev/zero")}) {
        QByteArray bytes;
        FileReadResult r = readWholeFile(path, bytes);
        EXPECT_FALSE(r.ok) << path.toStdString();
        EXPECT_TRUE(r.error.contains(QStringLiteral("not a regular file")))
            << r.error.toStdString();
        r = readFileStart(path, 4, bytes);
        EXPECT_FALSE(r.ok) << path.toStdString();
    }
}

TEST(FileRead, TheDefaultLimitRefusesAFileBeyond256MB)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("huge.csv");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(kMaxReadFileBytes + 1)); // sparse: nothing is written
    f.close();
    QByteArray bytes;
    const FileReadResult r = readWholeFile(path, bytes);
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(r.error.contains(QStringLiteral("256 MB"))) << r.error.toStdString();
    EXPECT_TRUE(bytes.isEmpty());
}
