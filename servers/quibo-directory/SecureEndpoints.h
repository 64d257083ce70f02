#pragma once

#include "DirectoryStore.h"
#include "Exchange.h"
#include "GuessLimiter.h"
#include "WireFormat.h"

#include <functional>

namespace quibo::directory {

// The secure requests, under /secure/: over TLS only, writes authenticated by the key of the
// client's certificate, and passwords kept only as slow hashes. Replies are "key=value"
// lines, or one word for a failure. Thread-safe as far as the store is.
class SecureEndpoints {
public:
    // `classicOpen`: whether the directory also takes the classic writes (hello says so).
    SecureEndpoints(DirectoryStore &store, bool classicOpen);

    // The request for /secure/`name`.
    Reply handle(QStringView name, const Target &target, const Request &request) const;

private:
    Reply hello(const Request &request) const;
    Reply lookUp(const Query &query) const;
    Reply registerAccount(const Query &form, const Request &request) const;
    Reply publish(const Query &form, const Request &request) const;
    Reply changeInfo(const Query &form, const Request &request) const;
    Reply bindKey(const Query &form, const Request &request) const;
    // A write an account makes itself: with the key of the connection, or none at all.
    Reply ownWrite(const Request &request, const std::function<WriteOutcome()> &write) const;

    DirectoryStore &m_store;
    bool m_classicOpen;
    mutable GuessLimiter m_guesses;
};

} // namespace quibo::directory
