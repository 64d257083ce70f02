#pragma once

#include "SharedPort.h"
#include "keys/KeyMaking.h"

#include <QByteArray>
#include <QString>

#include <openssl/types.h>

#include <memory>
#include <optional>
#include <variant>

namespace quibo::directory {

using shared_port::TlsContext;

// A key pair and the certificate that carries its public half, made, read and known as the
// client's own are.
using TlsIdentity = keys::KeyPair;
using keys::certificatePem;
using keys::isKeyFingerprint;
using keys::keyFingerprint;
using keys::keyPem;
using keys::makeSelfSigned;

// The identity in two PEM files, or why it cannot be used.
inline std::variant<TlsIdentity, QString> readIdentity(const QString &certificateFile, const QString &keyFile)
{
    return keys::readKeyPair(certificateFile, keyFile);
}

// The identity the server makes itself, in `folder`: quibo-directory.key (0600) and
// quibo-directory.crt. Made when neither is there; one without the other is refused, since
// replacing a key clients have pinned must be the operator's choice.
struct TlsFiles {
    QString certificate;
    QString key;
};
TlsFiles selfMadeFiles(const QString &folder);
std::variant<TlsFiles, QString> ensureSelfMade(const QString &folder);

// Serves TLS 1.3 only with `identity`, asking every client for its certificate: the requests
// compare its key with the one registered.
inline std::variant<TlsContext, QString> serverContext(const TlsIdentity &identity)
{
    return shared_port::serverContext(identity, shared_port::ClientCertificate::Asked);
}

} // namespace quibo::directory
