#include "channel/ChannelOutbox.h"

#include "base/Wakeup.h"
#include "contacts/ContactTable.h"
#include "notices/Notices.h"
#include "peer/PeerSender.h"

namespace quibo {

ChannelOutbox::ChannelOutbox(RecordSender &sender, quint16 port, ContactTable &contacts, Notices &notices,
                             QObject *parent)
    : QObject(parent), m_sender(sender), m_port(port), m_contacts(contacts), m_notices(notices)
{
}

QList<ChannelOutbox::Recipient> ChannelOutbox::members(const ContactTable &contacts)
{
    QList<Recipient> found;
    for (int i = 0; i < contacts.contactCount(); ++i) {
        if (contacts.contact(i).inChannel)
            found.append({i, contacts.contact(i).address});
    }
    return found;
}

quint64 ChannelOutbox::post(Line line)
{
    m_queue.push_back(std::move(line));
    const quint64 number = ++m_posted;
    if (!m_running) {
        m_running = true;
        startTask(this, "channel outbox", [this] { return run(); });
    }
    return number;
}

QCoro::Task<> ChannelOutbox::untilDelivered(quint64 number)
{
    while (m_delivered < number)
        co_await nextSignal(this, &ChannelOutbox::delivered);
}

QCoro::Task<> ChannelOutbox::run()
{
    while (!m_queue.empty()) {
        Line line = std::move(m_queue.front());
        m_queue.pop_front();
        co_await deliver(std::move(line));
        Q_EMIT delivered(++m_delivered);
    }
    m_running = false;
}

QCoro::Task<> ChannelOutbox::deliver(Line line)
{
    // A member unmarked since the line was queued has left.
    if (line.kind == To::Members)
        line.to.removeIf([this](const Recipient &to) { return !m_contacts.contact(to.index).inChannel; });
    QStringList addresses;
    for (const Recipient &to : std::as_const(line.to))
        addresses.append(to.address);
    const QList<SendOutcome> outcomes = co_await m_sender.sendToAll(std::move(addresses), m_port, line.bytes);

    for (qsizetype i = 0; i < outcomes.size(); ++i) {
        if (outcomes[i] == SendOutcome::Sent)
            continue;
        const Recipient &to = line.to.at(i);
        if (line.kind == To::Members) {
            if (m_toldUnreachable.contains(to.index))
                continue;
            m_toldUnreachable.insert(to.index);
        }
        const QString &message =
            outcomes[i] == SendOutcome::NotConnected ? line.messages.notConnected : line.messages.sendFailed;
        co_await m_notices.showSystemMessage(DialogOwner::Desktop, message, QString());
    }
}

} // namespace quibo
