#pragma once

#include "ports/DialogOwner.h"

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QString>

#include <optional>

namespace quibo {

class DirectoryClient;
class Notices;

namespace contact_lookup {
// "/ipadd/" + handle at the directory server. An internet error shows "Error Connecting -
// Code 1013"; nothing comes back when no reply was stored.
QCoro::Task<std::optional<QByteArray>> fetch(DirectoryClient &directory, Notices &notices, QString handle,
                                             DialogOwner owner);
// True when the reply is the server's error page: no such handle.
bool isUnknownHandle(const QByteArray &reply);
// The address on the reply's first line (its line end removed, so peers can dial it), at most
// the address field's 19 bytes; "0" or shorter means offline.
QString addressLine(const QByteArray &reply);
bool isOnlineAddress(const QString &line);
} // namespace contact_lookup

} // namespace quibo
