#include "SecretStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSaveFile>

namespace tervo {

namespace {

constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

// One "key=value" a line, the value percent-encoded so that any text fits on its line.
bool readAll(const QString &path, QMap<QString, QString> &entries, QString &error)
{
    QFile f(path);
    if (!f.exists())
        return true;
    if (!f.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("%1: %2").arg(path, f.errorString());
        return false;
    }
    for (const QByteArray &line : f.readAll().split('\n')) {
        const qsizetype eq = line.indexOf('=');
        if (eq > 0)
            entries.insert(QString::fromUtf8(QByteArray::fromPercentEncoding(line.left(eq))),
                           QString::fromUtf8(QByteArray::fromPercentEncoding(line.mid(eq + 1))));
    }
    return true;
}

} // namespace

bool SecretFileStore::readSecret(const QString &key, QString &secret, QString &error)
{
    QMap<QString, QString> entries;
    if (!readAll(m_path, entries, error))
        return false;
    secret = entries.value(key);
    return true;
}

bool SecretFileStore::writeSecret(const QString &key, const QString &secret, QString &error)
{
    QMap<QString, QString> entries;
    if (!readAll(m_path, entries, error))
        return false;
    if (secret.isEmpty())
        entries.remove(key);
    else
        entries.insert(key, secret);
    if (entries.isEmpty() && !QFileInfo::exists(m_path))
        return true;
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile f(m_path);
    // The permissions go on the new file before any secret does.
    if (!f.open(QIODevice::WriteOnly) || !f.setPermissions(kOwnerOnly)) {
        error = QStringLiteral("%1: %2").arg(m_path, f.errorString());
        return false;
    }
    for (auto it = entries.cbegin(); it != entries.cend(); ++it)
        f.write(it.key().toUtf8().toPercentEncoding() + '=' +
                it.value().toUtf8().toPercentEncoding() + '\n');
    if (!f.commit()) {
        error = QStringLiteral("%1: %2").arg(m_path, f.errorString());
        return false;
    }
    return true;
}

} // namespace tervo
