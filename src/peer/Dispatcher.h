#pragma once

#include "peer/Origin.h"
#include "peer/PeerRecord.h"

#include <QByteArray>
#include <QCoro/QCoroTask>

#include <functional>
#include <optional>
#include <vector>

namespace quibo {

struct LogonState;
class ContactTable;

// Identifies the sender of each received record and hands the record to the feature that
// registered its code. Completes when the record is fully handled (dialogs closed, clips
// played). Features register once, while the client is put together; handlers are plain
// lambdas that return a member coroutine's task (no coroutine lambdas).
class Dispatcher {
public:
    // A record from a known sender whose body begins with the handler's code.
    using Handler = std::function<QCoro::Task<>(Origin from, QString body)>;
    // "|001" from a stranger once the contacts are resolved: the sender's handle, the address
    // that followed the code, and the key the connection showed (empty in clear text). The
    // handler decides whether to believe it: only the directory knows a stranger's key.
    using ContactRequest = std::function<QCoro::Task<>(QString handle, QString address, QByteArray peerKey)>;
    // A body from a known sender that does not begin with "|": a message.
    using Message = std::function<QCoro::Task<>(QString body)>;
    // Told of each known sender before its record is dispatched.
    using SenderNoted = std::function<void(const Origin &from)>;

    Dispatcher(const LogonState &logon, const ContactTable &contacts);

    // One handler per code. No code may begin another, so a body matches one code at most and
    // the order of registration does not matter: a code that begins a registered one, or is
    // begun by one, is refused with std::logic_error, which stops the client as it is made.
    // A body that begins with "|" and matches no code is taken without effect.
    void on(peer::RecordCode code, Handler handler);
    // A body from a stranger that begins with `code`, once the contacts are resolved.
    void onContactRequest(peer::RecordCode code, ContactRequest handler);
    void onMessage(Message handler);
    void onSender(SenderNoted noted);
    // Told of a record beginning with `code` from a contact over TLS, whatever key it showed
    // (another one is still dropped), unless the contact is held: only the directory can say
    // which key and reach are the contact's now.
    void onSecureContact(peer::RecordCode code, SenderNoted noted);

    // `peerKey` is the fingerprint of the key the connection showed (TLS), empty in clear text.
    // A record that claims a secure contact's handle is dropped (logged) unless it came with
    // the key the directory gave for that contact.
    QCoro::Task<> handle(QByteArray received, QByteArray peerKey = {});

    // The sender of `record`: a contact (the last match) or the user's own handle; nothing
    // for strangers. Pure: writes no dialog fields.
    [[nodiscard]] std::optional<Origin> identify(const peer::PeerText &record) const;

private:
    [[nodiscard]] bool spokeFor(const Origin &from, const QByteArray &peerKey) const;
    QCoro::Task<> dispatch(Origin from, QString body);
    QCoro::Task<> fromStranger(peer::PeerText record, QByteArray peerKey);

    const LogonState &m_logon;
    const ContactTable &m_contacts;
    struct Registered {
        peer::RecordCode code;
        Handler handler;
    };
    std::vector<Registered> m_handlers;
    std::optional<peer::RecordCode> m_contactRequestCode;
    ContactRequest m_contactRequest;
    Message m_message;
    std::vector<SenderNoted> m_senderNoted;
    std::optional<peer::RecordCode> m_secureContactCode;
    SenderNoted m_secureContact;
};

} // namespace quibo
