#pragma once

#include "DirectoryTest.h"
#include "TlsIdentity.h"

#include <map>
#include <optional>
#include <string>

// A program talking to the directory's secure requests over TLS, with a key pair of its own
// made here (or none), as a client, a stranger or an attacker would.
class SecureClient {
public:
    using Form = std::map<std::string, std::string>;

    explicit SecureClient(quint16 port, bool withKey = true);

    // The fingerprint the directory registers for this key.
    std::string fingerprint() const;

    Response get(const std::string &target) const;
    Response post(const std::string &path, const Form &form) const;
    // "/secure/register" with every field a client sends; `form` overrides them.
    Response registerAccount(const std::string &handle, const std::string &password, const Form &form = {}) const;

private:
    quint16 m_port;
    std::optional<quibo::directory::TlsIdentity> m_identity;
};

// The "key=value" lines of a secure reply.
std::map<std::string, std::string> pairsOf(const Response &response);

// The fingerprint of the key the TLS server on `port` shows, empty when no handshake came
// through; `newestTls` caps the TLS version the client offers.
std::string serverKeyOn(quint16 port, int newestTls = 0);
