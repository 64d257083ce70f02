#pragma once

#include "DirectoryStore.h"
#include "Exchange.h"
#include "SecureEndpoints.h"
#include "WireFormat.h"

#include <QByteArray>

namespace quibo::directory {

// The directory's endpoints: turns a request into its reply, the classic requests here and
// the secure ones under /secure/ through SecureEndpoints. Thread-safe as far as the store is.
class DirectoryService {
public:
    // `secureOnly`: refuses classic registrations, classic publishing and the classic
    // password read-out.
    DirectoryService(DirectoryStore &store, QByteArray banner, bool secureOnly);

    Reply handle(const Request &request) const;

private:
    Reply classic(const Target &target) const;
    Reply broadcast() const;
    Reply readAddress(const Query &query) const;
    Reply writeAddress(const Query &query) const;
    Reply readPassword(const Query &query) const;
    Reply registerUser(const Query &query) const;
    Reply lookUp(const QString &handle) const;
    Reply userInfo(const QString &handle) const;

    DirectoryStore &m_store;
    QByteArray m_banner;
    bool m_secureOnly;
    SecureEndpoints m_secure;
};

} // namespace quibo::directory
