#include "peer/PeerSender.h"

#include "base/DottedAddress.h"

#include "contacts/ContactTable.h"
#include "notices/Notices.h"
#include "peer/PeerRecord.h"
#include "peer/PeerTls.h"
#include "peer/SocketEvents.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QPointer>
#include <QScopeGuard>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>

#include <sys/socket.h>

#include <vector>

namespace quibo {

namespace {
// Only dotted IPv4 and IPv6 texts are addresses; "0" stands for offline and must never become
// 0.0.0.0, which on Linux reaches this very machine.
std::optional<QHostAddress> dialable(const QString &address)
{
    QHostAddress host;
    if (!(isDottedIPv4(address) || isIPv6Literal(address)) || !host.setAddress(address) ||
        host == QHostAddress(QHostAddress::AnyIPv4))
        return std::nullopt;
    return host;
}

// The contact's port for what `port` is on this client.
quint16 theirs(quint16 port, const ClientPorts &own, const ClientPorts &published)
{
    if (port == own.peer)
        return published.peer;
    if (port == own.channel)
        return published.channel;
    if (port == own.privateChat)
        return published.privateChat;
    return port == own.web ? published.web : port;
}
} // namespace

QList<DialTarget> dialPlan(const QString &address, quint16 port, const ClientPorts &own,
                           const ContactRecord *contact)
{
    QList<DialTarget> plan;
    const bool published = contact && contact->secure;
    // No router translates IPv6, so it is tried first; IPv4 may be a mapped port on a router.
    if (published && contact->address6 != address)
        if (const std::optional<QHostAddress> v6 = dialable(contact->address6))
            plan.append({*v6, port});
    if (const std::optional<QHostAddress> host = dialable(address))
        plan.append({*host, port});
    if (published && contact->ports)
        for (DialTarget &target : plan)
            target.port = theirs(port, own, *contact->ports);
    return plan;
}

RecordSender::RecordSender(const Config &config, const LogonState &logon, const Timings &timings,
                           QObject *parent)
    : QObject(parent), m_config(config), m_logon(logon), m_timings(timings)
{
}

std::optional<QHostAddress> RecordSender::sourceAddress(QAbstractSocket::NetworkLayerProtocol family) const
{
    const QString &published =
        family == QAbstractSocket::IPv6Protocol ? m_logon.publishedAddress6 : m_logon.ownAddress;
    if (const std::optional<QHostAddress> own = dialable(published); own && own->protocol() == family)
        return own;
    const QHostAddress &listening = m_config.listenAddress;
    if (listening.isNull() || listening.protocol() != family || listening == QHostAddress(QHostAddress::AnyIPv4) ||
        listening == QHostAddress(QHostAddress::AnyIPv6))
        return std::nullopt;
    return listening;
}

const ContactRecord *RecordSender::contactAt(const QString &address) const
{
    if (!m_contacts)
        return nullptr;
    // The last record at that address speaks for it, as the last match does for a handle.
    const QList<ContactRecord> &records = m_contacts->records();
    for (auto it = records.crbegin(); it != records.crend(); ++it) {
        if (it->address == address && it->secure)
            return &*it;
    }
    return nullptr;
}

QList<DialTarget> RecordSender::plan(const QString &address, quint16 port) const
{
    return dialPlan(address, port, m_config.ports(), contactAt(address));
}

QCoro::Task<SendOutcome> RecordSender::sendRecord(QString address, QByteArray block)
{
    co_return co_await sendBlock(std::move(address), m_config.peerPort, std::move(block));
}

QTcpSocket *RecordSender::boundSocket(bool tls, const QHostAddress &to)
{
    const auto make = [this, tls] { return directSocket(tls, this); };
    QTcpSocket *socket = make();
    const std::optional<QHostAddress> source = sourceAddress(to.protocol());
    // Its closed ports stay free for listeners. An address that is no longer this machine's
    // cannot be bound: the connection goes out as the routes decide rather than not at all.
    if (source && !socket->bind(*source, 0, QAbstractSocket::ReuseAddressHint)) {
        socket->deleteLater();
        socket = make();
    }
    return socket;
}

QCoro::Task<SendOutcome> RecordSender::sendRecordTo(QString address, QByteArray key, QByteArray block)
{
    const std::optional<QHostAddress> host = dialable(address);
    if (!host || key.isEmpty() || !m_tls)
        co_return co_await sendRecord(std::move(address), std::move(block));
    bool refused = false;
    const DialTarget to{*host, m_config.peerPort}; // named: g++ 12 mishandles temporaries in a co_await
    const SendOutcome outcome = co_await sendKept(address, to, std::move(block), std::move(key), &refused);
    if (refused)
        Q_EMIT keyRefused(address);
    co_return outcome;
}

QCoro::Task<SendOutcome> RecordSender::sendBlock(QString address, quint16 port, QByteArray block)
{
    const QList<DialTarget> targets = plan(address, port);
    const QByteArray expected = m_tls ? m_tls->expectedKey(address) : QByteArray();
    if (expected == PeerTls::KeyHeld) {
        Q_EMIT keyHeld(address);
        co_return SendOutcome::NotConnected;
    }
    SendOutcome outcome = SendOutcome::NotConnected;
    bool refused = false;
    for (const DialTarget &to : targets) {
        // Only what never connected is tried at the next address; a block half sent is not sent twice.
        // Kept out of "?:": g++ 12 mishandles co_await there.
        if (expected.isEmpty())
            outcome = co_await sendClear(to, block);
        else
            outcome = co_await sendKept(address, to, block, expected, &refused);
        if (outcome != SendOutcome::NotConnected)
            break;
    }
    if (refused && outcome == SendOutcome::NotConnected)
        Q_EMIT keyRefused(address);
    co_return outcome;
}

QCoro::Task<SendOutcome> RecordSender::sendClear(DialTarget to, QByteArray block)
{
    FrameOwned<QTcpSocket> socket(boundSocket(false, to.host));
    Wakeup *changes = watchSocket(socket.get());
    const QDeadlineTimer connectDeadline(m_timings.peerConnectTimeout);
    socket->connectToHost(to.host, to.port);
    while (socket->state() != QAbstractSocket::ConnectedState) {
        if (socket->state() == QAbstractSocket::UnconnectedState ||
            !co_await nextChange(changes, connectDeadline)) {
            socket->abort();
            co_return SendOutcome::NotConnected;
        }
    }

    SendOutcome outcome = SendOutcome::Sent;
    const QDeadlineTimer writeDeadline(m_timings.peerConnectTimeout);
    if (socket->write(block) != block.size())
        outcome = SendOutcome::SendFailed;
    while (outcome == SendOutcome::Sent && socket->bytesToWrite() > 0) {
        if (socket->state() != QAbstractSocket::ConnectedState ||
            !co_await nextChange(changes, writeDeadline))
            outcome = SendOutcome::SendFailed;
    }
    if (outcome == SendOutcome::Sent)
        socket->disconnectFromHost();
    else
        socket->abort();
    co_return outcome;
}

QCoro::Task<QSslSocket *> RecordSender::openSecure(QString address, DialTarget to, QByteArray expectedKey,
                                                   bool *refused)
{
    const std::optional<QSslConfiguration> tls = m_tls->recordsClientConfiguration();
    if (!tls) {
        qWarning("peer: no key of our own, so nothing goes to the secure contact at %s", qPrintable(address));
        co_return nullptr;
    }
    FrameOwned<QSslSocket> socket(static_cast<QSslSocket *>(boundSocket(true, to.host)));
    socket->setSslConfiguration(*tls);
    Wakeup *changes = watchSocket(socket.get());
    connect(socket.get(), &QSslSocket::encrypted, changes, &Wakeup::wake);
    const QDeadlineTimer connectDeadline(m_timings.peerConnectTimeout + m_timings.tlsHandshake);
    socket->connectToHostEncrypted(to.host.toString(), to.port);
    bool reached = false;
    while (!socket->isEncrypted()) {
        if (!reached && socket->state() == QAbstractSocket::ConnectedState) {
            reached = true;
            // The record follows the last handshake flight at once, unacknowledged.
            socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        }
        if (socket->state() == QAbstractSocket::UnconnectedState ||
            !co_await nextChange(changes, connectDeadline)) {
            // Something answered but spoke no TLS with us: a classic program at the address.
            if (reached)
                *refused = true;
            socket->abort();
            co_return nullptr;
        }
    }
    // The check that makes this the contact: the key the directory gave, before a byte is sent.
    if (keyFingerprintOf(socket->peerCertificate()) != expectedKey) {
        qWarning("peer: the secure contact at %s showed another key; nothing sent", qPrintable(to.host.toString()));
        *refused = true;
        socket->abort();
        co_return nullptr;
    }
    delete changes; // whoever sends makes its own
    co_return socket.take();
}

QCoro::Task<SendOutcome> RecordSender::sendOnce(QSslSocket *socket, QByteArray block)
{
    Wakeup *changes = watchSocket(socket);
    const auto end = [socket](SendOutcome outcome) {
        socket->abort();
        return outcome;
    };
    const QDeadlineTimer writeDeadline(m_timings.peerConnectTimeout);
    if (socket->write(block) != block.size())
        co_return end(SendOutcome::SendFailed);
    while (socket->encryptedBytesToWrite() > 0 || socket->bytesToWrite() > 0) {
        if (socket->state() != QAbstractSocket::ConnectedState ||
            !co_await nextChange(changes, writeDeadline))
            co_return end(SendOutcome::SendFailed);
    }
    // Half-close, then wait for the receiver to close: what it sent after the handshake (its
    // session tickets) is read, so closing never resets a connection whose record is unread.
    ::shutdown(int(socket->socketDescriptor()), SHUT_WR);
    while (socket->state() == QAbstractSocket::ConnectedState) {
        if (!co_await nextChange(changes, writeDeadline))
            break;
    }
    co_return end(SendOutcome::Sent);
}

// One kept connection to a secure contact and the records waiting for it, sent one at a time.
class KeptLink : public QObject {
public:
    KeptLink(QString name, QString contactAddress, QByteArray contactKey, QObject *parent)
        : QObject(parent), id(std::move(name)), address(std::move(contactAddress)), key(std::move(contactKey)),
          idle(new QTimer(this))
    {
        idle->setSingleShot(true);
    }
    [[nodiscard]] bool connected() const { return socket && socket->state() == QAbstractSocket::ConnectedState; }

    const QString id;
    const QString address;
    const QByteArray key;
    QPointer<QSslSocket> socket; // a child of the link
    Wakeup *changes = nullptr;
    bool busy = false;       // a record is on its way
    bool closedHere = false; // closed by this end: nothing more goes on it, nor on a new one for it
    QList<Wakeup *> waiting; // the records waiting their turn, in order
    QTimer *idle;

    ~KeptLink() override
    {
        // The sends waiting on it are unwound here, while the link they hold still exists.
        for (const QPointer<QObject> &child : childPointers(this))
            delete child.data();
    }
    static QList<QPointer<QObject>> childPointers(const QObject *parent)
    {
        QList<QPointer<QObject>> pointers;
        for (QObject *child : parent->children())
            pointers.append(child);
        return pointers;
    }
};

RecordSender::~RecordSender()
{
    // Sends still under way are unwound here, while this sender exists: first those connecting
    // (their sockets are children of this), then those on a link or waiting for one.
    QList<QPointer<QObject>> links;
    for (const QPointer<QObject> &child : KeptLink::childPointers(this)) {
        if (auto *link = dynamic_cast<KeptLink *>(child.data())) {
            link->closedHere = true;
            links.append(child);
        } else {
            delete child.data();
        }
    }
    for (const QPointer<QObject> &link : std::as_const(links))
        delete link.data();
}

void RecordSender::closeKeptConnections(bool all)
{
    for (auto it = m_kept.begin(); it != m_kept.end();) {
        KeptLink *link = *it;
        if (!all && m_tls && m_tls->expectedKey(link->address) == link->key) {
            ++it;
            continue;
        }
        it = m_kept.erase(it);
        link->closedHere = true;
        if (link->socket)
            link->socket->abort(); // a record on its way sees it closed and fails
        if (!link->busy && link->waiting.isEmpty())
            link->deleteLater();
    }
}

void RecordSender::endTurn(KeptLink *link)
{
    if (!link->waiting.isEmpty()) {
        link->waiting.takeFirst()->wake(); // the turn passes on: busy stays set
        return;
    }
    link->busy = false;
    if (link->connected() && !link->closedHere) {
        link->idle->start(m_timings.keptConnectionIdle);
        return;
    }
    if (m_kept.value(link->id) == link)
        m_kept.remove(link->id);
    link->deleteLater();
}

QCoro::Task<SendOutcome> RecordSender::sendKept(QString address, DialTarget to, QByteArray block,
                                                QByteArray expectedKey, bool *refused)
{
    const QString id = QStringLiteral("%1|%2|%3").arg(to.host.toString()).arg(to.port).arg(QString::fromLatin1(expectedKey));
    KeptLink *link = m_kept.value(id);
    if (!link) {
        link = new KeptLink(id, address, expectedKey, this);
        m_kept.insert(id, link);
        connect(link->idle, &QTimer::timeout, this, [this, link] {
            if (link->busy)
                return;
            link->closedHere = true;
            if (link->socket)
                link->socket->disconnectFromHost();
            endTurn(link);
        });
    }
    // Records to one contact go one after another, in the order sent.
    bool mine = !link->busy;
    if (!mine) {
        const FrameOwned<Wakeup> turn(new Wakeup(link));
        link->waiting.append(turn.get());
        // Unwound while waiting: the place in the queue, or the turn already given, passes on.
        const auto leave = qScopeGuard([link, &turn, &mine] {
            if (!link->waiting.removeOne(turn.get()) && !mine)
                link->waiting.isEmpty() ? void(link->busy = false) : link->waiting.takeFirst()->wake();
        });
        co_await turn->next();
        mine = true;
    }
    link->busy = true;
    link->idle->stop();
    const auto done = qScopeGuard([this, link] { endTurn(link); });

    for (;;) {
        const bool fresh = !link->connected();
        if (fresh) {
            if (link->closedHere)
                co_return SendOutcome::NotConnected;
            if (link->socket)
                link->socket->deleteLater();
            QSslSocket *socket = co_await openSecure(address, to, expectedKey, refused);
            if (!socket)
                co_return SendOutcome::NotConnected;
            if (socket->sslConfiguration().nextNegotiatedProtocol() != peer::KeptRecordsProtocol) {
                // A secure client from before kept connections: one record per connection.
                const FrameOwned<QSslSocket> once(socket);
                co_return co_await sendOnce(socket, block);
            }
            socket->setParent(link);
            link->socket = socket;
            link->changes = watchSocket(socket);
        }
        const std::optional<bool> taken = co_await sendFramed(link, block);
        if (taken)
            co_return *taken ? SendOutcome::Sent : SendOutcome::SendFailed;
        // Closed with the record not taken: the other end's idle close crossed it. Once more on
        // a new connection; a new one that closes so is a failure.
        if (fresh || link->closedHere)
            co_return SendOutcome::SendFailed;
    }
}

QCoro::Task<std::optional<bool>> RecordSender::sendFramed(KeptLink *link, QByteArray block)
{
    QSslSocket *socket = link->socket;
    const QDeadlineTimer deadline(m_timings.peerConnectTimeout);
    socket->write(peer::frameRecord(block));
    while (socket->bytesAvailable() < 1) {
        if (socket->state() != QAbstractSocket::ConnectedState)
            co_return std::nullopt;
        if (!co_await nextChange(link->changes, deadline)) {
            socket->abort();
            co_return false;
        }
    }
    char ack = 0;
    socket->getChar(&ack);
    if (ack != peer::KeptRecordAck) {
        socket->abort();
        co_return false;
    }
    co_return true;
}

QCoro::Task<QList<SendOutcome>> RecordSender::sendToAll(QStringList addresses, quint16 port, QByteArray block)
{
    std::vector<QCoro::Task<SendOutcome>> sends; // a task starts when it is made
    sends.reserve(static_cast<std::size_t>(addresses.size()));
    for (const QString &address : std::as_const(addresses))
        sends.push_back(sendBlock(address, port, block));
    QList<SendOutcome> outcomes;
    outcomes.reserve(addresses.size());
    for (QCoro::Task<SendOutcome> &send : sends)
        outcomes.append(co_await send);
    co_return outcomes;
}

PeerSender::PeerSender(RecordSender &sender, const LogonState &session, Notices &notices)
    : m_sender(sender), m_session(session), m_notices(notices)
{
}

QCoro::Task<> PeerSender::SendPeerRecord(QString address, QString message, DialogOwner owner)
{
    const SendOutcome outcome = co_await sendMessageRecord(std::move(address), std::move(message));
    co_await reportMessageOutcome(outcome, owner);
}

QCoro::Task<SendOutcome> PeerSender::sendMessageRecord(QString address, QString message)
{
    const QByteArray block = peer::buildRecord(m_session.ownHandle, message, peer::MessageBlock);
    co_return co_await m_sender.sendRecord(std::move(address), block);
}

QCoro::Task<> PeerSender::reportMessageOutcome(SendOutcome outcome, DialogOwner owner)
{
    if (outcome == SendOutcome::SendFailed)
        co_await m_notices.showSystemMessage(owner, QStringLiteral("send error - error code 1003"),
                                             QString());
}

QCoro::Task<SendOutcome> PeerSender::sendCode(QString address, peer::RecordCode code, QString payload)
{
    co_return co_await m_sender.sendRecord(std::move(address),
                                           peer::buildRecord(m_session.ownHandle, code, payload));
}

QCoro::Task<SendOutcome> PeerSender::sendCodeTo(QString address, QByteArray key, peer::RecordCode code)
{
    co_return co_await m_sender.sendRecordTo(std::move(address), std::move(key),
                                             peer::buildRecord(m_session.ownHandle, code));
}

QCoro::Task<> PeerSender::SendShortRecord(QString handle, QString address, QString payload,
                                          peer::RecordCode code, DialogOwner owner)
{
    Q_ASSERT(code.blockSize == peer::ShortBlock);
    const QByteArray block = peer::buildRecord(handle, code, payload);
    const SendOutcome outcome = co_await m_sender.sendRecord(address, block);
    if (outcome == SendOutcome::NotConnected)
        co_await m_notices.showSystemMessage(owner, QStringLiteral("Error Connecting - Error Code 1050"),
                                             QString());
    else if (outcome == SendOutcome::SendFailed)
        co_await m_notices.showSystemMessage(owner, QStringLiteral("Error Sending Request - Error Code 1010"),
                                             QString());
}

} // namespace quibo
