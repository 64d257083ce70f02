#pragma once

#include "DirectoryStore.h"
#include "WireFormat.h"

#include <QByteArray>

namespace quibo::directory {

struct Reply {
    int status = 200;
    QByteArray contentType;
    QByteArray body;
};

// The directory's endpoints: turns a GET request target into its reply. Thread-safe as
// far as the store is.
class DirectoryService {
public:
    DirectoryService(DirectoryStore &store, QByteArray banner);

    Reply handle(QByteArrayView target) const;

private:
    Reply broadcast() const;
    Reply readAddress(const Query &query) const;
    Reply writeAddress(const Query &query) const;
    Reply readPassword(const Query &query) const;
    Reply registerUser(const Query &query) const;
    Reply lookUp(const QString &handle) const;
    Reply userInfo(const QString &handle) const;

    DirectoryStore &m_store;
    QByteArray m_banner;
};

} // namespace quibo::directory
