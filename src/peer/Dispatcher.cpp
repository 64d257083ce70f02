#include "peer/Dispatcher.h"

#include "base/Limits.h"
#include "base/LogonState.h"
#include "base/Utf8.h"
#include "contacts/ContactTable.h"

#include <stdexcept>

namespace quibo {

namespace {
const QString LoopBackName = QStringLiteral("LoopBack");
const QString LoopBackAddress = QStringLiteral("127.0.0.1");

bool fitsField(const QString &text, qsizetype bytes)
{
    return text.toUtf8().size() <= bytes;
}
} // namespace

Dispatcher::Dispatcher(const LogonState &logon, const ContactTable &contacts)
    : m_logon(logon), m_contacts(contacts)
{
}

void Dispatcher::on(peer::RecordCode code, Handler handler)
{
    for (const Registered &registered : m_handlers) {
        if (registered.code.overlaps(code))
            throw std::logic_error("record code \"" + code.toString().toStdString() + "\" clashes with \"" +
                                   registered.code.toString().toStdString() + "\"");
    }
    m_handlers.push_back({code, std::move(handler)});
}

void Dispatcher::onContactRequest(peer::RecordCode code, ContactRequest handler)
{
    Q_ASSERT(!m_contactRequest);
    m_contactRequestCode = code;
    m_contactRequest = std::move(handler);
}

void Dispatcher::onMessage(Message handler)
{
    Q_ASSERT(!m_message);
    m_message = std::move(handler);
}

void Dispatcher::onSender(SenderNoted noted)
{
    m_senderNoted.push_back(std::move(noted));
}

void Dispatcher::onSecureContact(peer::RecordCode code, SenderNoted noted)
{
    Q_ASSERT(!m_secureContact);
    m_secureContactCode = code;
    m_secureContact = std::move(noted);
}

std::optional<Origin> Dispatcher::identify(const peer::PeerText &record) const
{
    // An empty handle is nobody's, not even before the own handle is known.
    if (record.handle.isEmpty() || !fitsField(record.handle, peer::MaxSenderHandleBytes))
        return std::nullopt;
    Origin from;
    from.handle = record.handle;
    if (const std::optional<int> index = m_contacts.FindContactByHandle(record.handle)) {
        const ContactRecord &contact = m_contacts.contact(*index);
        from.index = *index;
        from.name = contact.handle;
        from.address = contact.address;
    }
    if (record.handle == m_logon.ownHandle) {
        from.kind = Origin::Kind::Own;
        from.name = LoopBackName;
        from.address = LoopBackAddress;
    }
    if (from.index < 0 && !from.own())
        return std::nullopt;
    return from;
}

bool Dispatcher::spokeFor(const Origin &from, const QByteArray &peerKey) const
{
    if (from.index < 0)
        return true;
    const ContactRecord &contact = m_contacts.contact(from.index);
    if (contact.keyHeld)
        return false;
    return !contact.secure || (!peerKey.isEmpty() && peerKey == contact.keyFingerprint);
}

QCoro::Task<> Dispatcher::handle(QByteArray received, QByteArray peerKey)
{
    const peer::PeerText record = peer::parseRecord(received);
    if (!record.hasSeparator())
        co_return;
    const std::optional<Origin> from = identify(record);
    if (!from) {
        co_await fromStranger(record, std::move(peerKey));
        co_return;
    }
    // Over TLS, a contact held as classic has bound a key since it was looked up.
    if (m_secureContact && from->index >= 0 && !from->own() && !peerKey.isEmpty() &&
        !m_contacts.contact(from->index).keyHeld && m_secureContactCode->begins(record.body))
        m_secureContact(*from);
    if (!spokeFor(*from, peerKey)) {
        qWarning("peer: dropped a record claiming to be from secure contact %s: %s", qPrintable(from->handle),
                 m_contacts.contact(from->index).keyHeld ? "its new key is not accepted"
                 : peerKey.isEmpty()                     ? "sent in clear"
                                                         : "another key");
        co_return;
    }
    for (const SenderNoted &noted : m_senderNoted)
        noted(*from);
    co_await dispatch(*from, record.body);
}

QCoro::Task<> Dispatcher::fromStranger(peer::PeerText record, QByteArray peerKey)
{
    // Only an announcement, once the contacts are resolved, is a request to add.
    if (!m_contactRequest || !m_logon.contactsResolved || !m_contactRequestCode->begins(record.body) ||
        record.handle.isEmpty() || !fitsField(record.handle, limits::HandleFieldBytes))
        co_return;
    const QString address =
        utf8::cut(m_contactRequestCode->payloadOf(record.body), limits::RequesterAddressBytes);
    const ContactRequest request = m_contactRequest;
    co_await request(record.handle, address, std::move(peerKey));
}

QCoro::Task<> Dispatcher::dispatch(Origin from, QString body)
{
    for (const Registered &registered : m_handlers) {
        if (!registered.code.begins(body))
            continue;
        const Handler handler = registered.handler;
        co_await handler(std::move(from), std::move(body));
        co_return;
    }
    // Any other body beginning with "|" is taken without effect; the rest is a message.
    if (m_message && !body.startsWith(peer::FieldSeparator)) {
        const Message message = m_message;
        co_await message(std::move(body));
    }
}

} // namespace quibo
