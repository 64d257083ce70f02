#pragma once

#include "peer/Origin.h"
#include "peer/PeerRecord.h"

#include <QByteArray>
#include <QCoro/QCoroTask>

#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace quibo {

struct LogonState;
class ContactTable;

// Identifies the sender of each received record and hands the record to the feature that
// registered for its code, comparing the body with the codes in the order of the code table.
// Completes when the record is fully handled (dialogs closed, clips played). Features register
// once, while the client is put together; handlers are plain lambdas that return a member
// coroutine's task (no coroutine lambdas).
class Dispatcher {
public:
    // A record from a known sender whose body begins with the handler's code.
    using Handler = std::function<QCoro::Task<>(Origin from, QString body)>;
    // "|001" from a stranger once the contacts are resolved: the sender's handle, and the
    // address that followed the code.
    using ContactRequest = std::function<QCoro::Task<>(QString handle, QString address)>;
    // A body from a known sender that does not begin with "|": a message.
    using Message = std::function<QCoro::Task<>(QString body)>;
    // Told of each known sender before its record is dispatched.
    using SenderNoted = std::function<void(const Origin &from)>;

    Dispatcher(const LogonState &logon, const ContactTable &contacts);

    // One handler per code. A body whose code has none is taken without effect, like any
    // other body that begins with "|".
    void on(peer::Code code, Handler handler);
    void onContactRequest(ContactRequest handler);
    void onMessage(Message handler);
    void onSender(SenderNoted noted);

    QCoro::Task<> handle(QByteArray received);

    // The sender of `record`: a contact (the last match) or the user's own handle; nothing
    // for strangers. Pure: writes no dialog fields.
    [[nodiscard]] std::optional<Origin> identify(const peer::PeerText &record) const;

private:
    QCoro::Task<> dispatch(Origin from, QString body);
    QCoro::Task<> fromStranger(peer::PeerText record);

    const LogonState &m_logon;
    const ContactTable &m_contacts;
    std::map<peer::Code, Handler> m_handlers;
    ContactRequest m_contactRequest;
    Message m_message;
    std::vector<SenderNoted> m_senderNoted;
};

} // namespace quibo
