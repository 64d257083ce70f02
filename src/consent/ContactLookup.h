#pragma once

#include "directory/DirectoryClient.h"
#include "ports/DialogOwner.h"

#include <QCoro/QCoroTask>
#include <QString>

#include <optional>

namespace quibo {

class Notices;

namespace contact_lookup {
// The handle's address at the directory ("/ipadd/" + handle, or the secure look-up), read with
// the address field's 19 bytes, its line end removed so peers can dial it. An internet error
// shows "Error Connecting - Code 1013"; nothing comes back when no reply was stored.
QCoro::Task<std::optional<LookupAnswer>> fetch(DirectoryClient &directory, Notices &notices, QString handle,
                                               DialogOwner owner);
// "0" or shorter means offline.
bool isOnlineAddress(const QString &line);
} // namespace contact_lookup

} // namespace quibo
