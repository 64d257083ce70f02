#pragma once

#include <QString>

namespace quibo {

// Who sent a record, as the listener identified it.
struct Origin {
    QString handle;  // the sender handle of the record
    QString name;    // "LoopBack" for an own record, else the contact's handle
    QString address; // where answers go: the contact's address, or "127.0.0.1" for an own record
    int index = -1;  // the matching contact record (the last one); -1 when none matched
    enum class Kind { Contact, Own } kind = Kind::Contact; // Own: the record carries the own handle

    [[nodiscard]] bool own() const { return kind == Kind::Own; }
};

} // namespace quibo
