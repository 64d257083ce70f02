#pragma once

#include <QString>

namespace quibo {

// True for a dotted IPv4 address in its usual form, such as "192.168.0.7": four decimal
// numbers up to 255, without leading zeros. "0" (offline), names and odd forms are not.
bool isDottedIPv4(const QString &address);

} // namespace quibo
