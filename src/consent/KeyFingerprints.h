#pragma once

#include <QByteArray>
#include <QCoro/QCoroTask>

#include <functional>

namespace quibo {

class CommandHandlers;
class ContactTable;
class Notices;
struct Selection;

// "Key Fingerprint" of the contact menu and "My Key Fingerprint" of Config: the selected
// contact's key and the user's own, in the form two people read aloud to each other.
class KeyFingerprints {
public:
    struct Parts {
        const Selection &selection;
        const ContactTable &contacts;
        Notices &notices;
        std::function<QByteArray()> ownFingerprint; // empty while the user has no key
    };

    KeyFingerprints(Parts parts, CommandHandlers &commands);

private:
    QCoro::Task<> showContacts();
    QCoro::Task<> showOwn();

    Parts m_parts;
};

} // namespace quibo
