#pragma once

#include <QString>

namespace tervo {

// Where secrets such as the mail password are kept, out of the settings file.
class SecretStore {
public:
    virtual ~SecretStore() = default;
    // An absent secret reads as empty; false with a reason when the store cannot be read.
    virtual bool readSecret(const QString &key, QString &secret, QString &error) = 0;
    // An empty secret removes the key.
    virtual bool writeSecret(const QString &key, const QString &secret, QString &error) = 0;
};

// Secrets in a file of their own that only its owner may read or write (mode 0600): the store
// where no desktop secret service runs.
class SecretFileStore : public SecretStore {
public:
    explicit SecretFileStore(QString path) : m_path(std::move(path)) {}
    QString path() const { return m_path; }
    bool readSecret(const QString &key, QString &secret, QString &error) override;
    bool writeSecret(const QString &key, const QString &secret, QString &error) override;

private:
    QString m_path;
};

inline constexpr char kSecretFileName[] = "Secrets.txt";

} // namespace tervo
