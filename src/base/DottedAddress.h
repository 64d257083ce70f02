#pragma once

#include <QString>

namespace quibo {

// True for a dotted IPv4 address in its usual form, such as "192.168.0.7": four decimal
// numbers up to 255, without leading zeros. "0" (offline), names and odd forms are not.
bool isDottedIPv4(const QString &address);

} // namespace quibo

namespace quibo {

// True for an IPv6 address as text, such as "2001:db8::7" (no zone, not "::"): how a secure
// contact without IPv4 is known.
bool isIPv6Literal(const QString &address);

} // namespace quibo
