#pragma once

#include "core/SecretStore.h"

#include <memory>

namespace tervo {

// The desktop's secret service (through QtKeychain). Where none runs, as on a machine without a
// desktop session, the secrets go to the owner-only file instead.
class KeychainSecretStore : public SecretStore {
public:
    explicit KeychainSecretStore(QString fallbackPath);
    bool readSecret(const QString &key, QString &secret, QString &error) override;
    bool writeSecret(const QString &key, const QString &secret, QString &error) override;

private:
    SecretFileStore m_fallback;
};

// The file of secrets for a settings folder: beside the settings, unless they live in the
// program's own folder, which other users may share; then in the user's configuration folder.
QString secretFilePathFor(const QString &settingsFolder);

} // namespace tervo
