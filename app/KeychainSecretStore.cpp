#include "KeychainSecretStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QStandardPaths>
#include <qt6keychain/keychain.h>

namespace tervo {

namespace {

const QString kService = QStringLiteral("TERVO");

// The secret service answers over D-Bus; the caller waits for it.
void runJob(QKeychain::Job &job)
{
    job.setAutoDelete(false);
    // Never the library's own fallback, which keeps secrets in clear.
    job.setInsecureFallback(false);
    bool done = false;
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        done = true;
        loop.quit();
    });
    job.start();
    if (!done)
        loop.exec();
}

// No secret service to ask, as opposed to one that refused.
bool noService(QKeychain::Error e)
{
    return e == QKeychain::NoBackendAvailable || e == QKeychain::NotImplemented ||
           e == QKeychain::OtherError;
}

} // namespace

KeychainSecretStore::KeychainSecretStore(QString fallbackPath) : m_fallback(std::move(fallbackPath))
{
}

bool KeychainSecretStore::readSecret(const QString &key, QString &secret, QString &error)
{
    QKeychain::ReadPasswordJob job(kService);
    job.setKey(key);
    runJob(job);
    if (job.error() == QKeychain::NoError) {
        secret = job.textData();
        return true;
    }
    // Kept in the file while no secret service ran.
    if (job.error() == QKeychain::EntryNotFound || noService(job.error()))
        return m_fallback.readSecret(key, secret, error);
    error = job.errorString();
    return false;
}

bool KeychainSecretStore::writeSecret(const QString &key, const QString &secret, QString &error)
{
    std::unique_ptr<QKeychain::Job> job;
    if (secret.isEmpty()) {
        job = std::make_unique<QKeychain::DeletePasswordJob>(kService);
    } else {
        auto write = std::make_unique<QKeychain::WritePasswordJob>(kService);
        write->setTextData(secret);
        job = std::move(write);
    }
    job->setKey(key);
    runJob(*job);
    if (job->error() == QKeychain::NoError || job->error() == QKeychain::EntryNotFound) {
        // No copy stays behind in the file.
        QString ignored;
        m_fallback.writeSecret(key, QString(), ignored);
        return true;
    }
    if (noService(job->error()))
        return m_fallback.writeSecret(key, secret, error);
    error = job->errorString();
    return false;
}

QString secretFilePathFor(const QString &settingsFolder)
{
    QString folder = settingsFolder;
    if (QFileInfo(folder).canonicalFilePath() ==
        QFileInfo(QCoreApplication::applicationDirPath()).canonicalFilePath())
        folder = QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
                     .filePath(QStringLiteral("TERVO"));
    return QDir(folder).filePath(QString::fromLatin1(kSecretFileName));
}

} // namespace tervo
