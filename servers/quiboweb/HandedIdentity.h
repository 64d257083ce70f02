#pragma once

#include "SharedPort.h"

#include <QString>

namespace quibo::web {

// The TLS identity the client handed (base/Lifeline.h, TlsIdentityVariable), made into a server
// context that asks no client for a certificate. No context and no error when none was handed
// (started by hand): then only plain HTTP is served. The descriptor is read, closed and its name
// removed from the environment either way, so nothing this program starts inherits it.
struct HandedTls {
    shared_port::TlsContext context;
    QString error;
};
HandedTls tlsFromEnvironment();

} // namespace quibo::web
