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
// Whether a look-up vouches for what came over a connection that showed `peerKey` (empty in
// clear text): a secure account's key, or a classic account's clear text. Nothing is vouched
// for by a failed look-up or an unknown handle.
bool vouches(const LookupAnswer &answer, const QByteArray &peerKey);
// "0" or shorter means offline.
bool isOnlineAddress(const QString &line);
} // namespace contact_lookup

} // namespace quibo
