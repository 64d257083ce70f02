#pragma once

#include <QtGlobal>

namespace quibo::limits {

// Field bounds the client and the directory server share, in UTF-8 bytes. A cut never splits
// a character.

// A registered handle. Its fixed fields (peer records, the contact table, "contacts.dat")
// hold one byte more: the original's terminator.
inline constexpr qsizetype HandleBytes = 10;
inline constexpr qsizetype HandleFieldBytes = HandleBytes + 1;

// The user info record, field by field, in line order.
inline constexpr qsizetype PasswordBytes = 10;
inline constexpr qsizetype NameBytes = 30; // first and last name
inline constexpr qsizetype EmailBytes = 64;
inline constexpr qsizetype PlaceBytes = 30; // city and state
inline constexpr qsizetype CountryBytes = 25;
inline constexpr qsizetype SexBytes = 6;
inline constexpr qsizetype AgeBytes = 3;
inline constexpr qsizetype PersonalInfoBytes = 100;

// The broadcast message: the lines the client shows, and their length.
inline constexpr int BroadcastLines = 5;
inline constexpr qsizetype BroadcastLineBytes = 80;

// Fixed fields of the client alone: a contact's address, the address a stranger's request
// names. Both hold the longest IPv6 text (45 characters); classic addresses are dotted IPv4.
inline constexpr qsizetype AddressFieldBytes = 45;
inline constexpr qsizetype RequesterAddressBytes = 45;

// Address look-ups the contact pass keeps in flight at once: enough to hide most of a slow
// network's round trips, few enough not to flood the directory at every logon.
inline constexpr int AddressLookupsInFlight = 8;

} // namespace quibo::limits
