#pragma once

#include "base/Config.h"
#include "base/LogonState.h"
#include "base/Timings.h"
#include "peer/PeerRecord.h"
#include "ports/DialogOwner.h"

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class QSslSocket;
class QTcpSocket;

namespace quibo {

class ContactTable;
class KeptLink;
struct ContactRecord;
class Notices;
class PeerTls;

enum class SendOutcome {
    Sent,
    NotConnected, // no such address, refused, or no answer within Timings::peerConnectTimeout
    SendFailed,   // connected, but the block did not go out whole
};

// Where a block meant for `address` on this client's port `port` goes, in the order tried: for a
// secure contact there, its IPv6 address first, then `address`, each on the port the contact
// published for that use (a port not among `own` stays as it is); for anyone else `address`
// on `port`. Empty when `address` is no IPv4 or IPv6 address ("0", names).
struct DialTarget {
    QHostAddress host;
    quint16 port = 0;
    bool operator==(const DialTarget &) const = default;
};
QList<DialTarget> dialPlan(const QString &address, quint16 port, const ClientPorts &own,
                           const ContactRecord *contact);

// Sends one block on a fresh connection to `address`, then closes: the only way records and
// chat lines leave this client. Addresses are dotted IPv4 or IPv6; "0" (offline) and names are
// never connected to; a secure contact is dialled where dialPlan says. Connections go out from the address this client published (before
// logon, the one it listens on, if only one), since the chat ports take lines only from where
// their peers looked the sender up; a machine with two interfaces, a VPN or a bridge would
// otherwise send from whichever address its routes pick.
class RecordSender : public QObject {
    Q_OBJECT
public:
    RecordSender(const Config &config, const LogonState &logon, const Timings &timings,
                 QObject *parent = nullptr);
    ~RecordSender() override;

    // From then on, a block to a secure contact's address goes over TLS 1.3 only, and only
    // once the other end has shown the contact's key; without a key of our own, or with
    // another key at the other end, nothing is sent.
    void setTls(PeerTls &tls) { m_tls = &tls; }
    // From then on, a block to a secure contact goes where it published (see dialPlan).
    void setContacts(const ContactTable &contacts) { m_contacts = &contacts; }

    // To the peer port.
    QCoro::Task<SendOutcome> sendRecord(QString address, QByteArray block);
    QCoro::Task<SendOutcome> sendBlock(QString address, quint16 port, QByteArray block);
    // One block to every address side by side: every connection is started before any is
    // awaited. The outcomes come in the order of `addresses`.
    // To the peer port of someone not in the contact table whose key the directory gave: over
    // TLS to that key when there is one, else in clear.
    QCoro::Task<SendOutcome> sendRecordTo(QString address, QByteArray key, QByteArray block);
    QCoro::Task<QList<SendOutcome>> sendToAll(QStringList addresses, quint16 port, QByteArray block);
    [[nodiscard]] quint16 peerPort() const { return m_config.peerPort; }
    // dialPlan for the contact at `address`, from this client's `port`.
    [[nodiscard]] QList<DialTarget> plan(const QString &address, quint16 port) const;

    // Blocks to a secure contact's port go on one TLS connection kept per contact
    // (address, port and key), one after another, each acknowledged by the other end; it closes
    // after Timings::keptConnectionIdle without a record. This closes those whose contact no
    // longer has that key at that address (a new key held, gone offline, moved), or all of them.
    void closeKeptConnections(bool all = false);

Q_SIGNALS:
    // A secure contact's address answered with another key, or no TLS: nothing was sent.
    void keyRefused(QString address);
    // The contact at the address has a new key the user has not accepted: nothing was sent.
    void keyHeld(QString address);

private:
    [[nodiscard]] std::optional<QHostAddress> sourceAddress(QAbstractSocket::NetworkLayerProtocol family) const;
    [[nodiscard]] const ContactRecord *contactAt(const QString &address) const;
    QCoro::Task<SendOutcome> sendClear(DialTarget to, QByteArray block);
    // A TLS connection to `to` that has shown `expectedKey`, offering to keep it for records;
    // null when none could be made, `refused` set when something answered there without that key.
    QCoro::Task<QSslSocket *> openSecure(QString address, DialTarget to, QByteArray expectedKey, bool *refused);
    // One block, then the close the classic protocol has.
    QCoro::Task<SendOutcome> sendOnce(QSslSocket *socket, QByteArray block);
    QCoro::Task<SendOutcome> sendKept(QString address, DialTarget to, QByteArray block, QByteArray expectedKey,
                                      bool *refused);
    // Sends one framed record on the link's connection; true once acknowledged, false when it
    // failed, nothing when the connection was found closed with the record not taken.
    QCoro::Task<std::optional<bool>> sendFramed(KeptLink *link, QByteArray block);
    void endTurn(KeptLink *link);
    QTcpSocket *boundSocket(bool tls, const QHostAddress &to);

    const Config &m_config;
    const LogonState &m_logon;
    const Timings &m_timings;
    PeerTls *m_tls = nullptr;
    const ContactTable *m_contacts = nullptr;
    QHash<QString, KeptLink *> m_kept;
};

// The two record senders of the program, with their messages.
class PeerSender {
public:
    PeerSender(RecordSender &sender, const LogonState &session, Notices &notices);

    // Sends ownHandle + "|" + message in 522 bytes to `address`, which the caller chose. A
    // failed connection is not reported; a failed send shows "send error - error code 1003".
    // The text is a parameter, never the send dialog's field, so sends from other tasks cannot
    // take or clear what the user is typing.
    QCoro::Task<> SendPeerRecord(QString address, QString message, DialogOwner owner);
    // SendPeerRecord in two steps, for a caller that acts between the send and its report.
    QCoro::Task<SendOutcome> sendMessageRecord(QString address, QString message);
    QCoro::Task<> reportMessageOutcome(SendOutcome outcome, DialogOwner owner);
    // Sends ownHandle + "|" + code + payload in the code's block; the caller tells failures.
    QCoro::Task<SendOutcome> sendCode(QString address, peer::RecordCode code, QString payload = {});
    // sendCode to someone not in the contact table, over TLS to `key` when it is not empty.
    QCoro::Task<SendOutcome> sendCodeTo(QString address, QByteArray key, peer::RecordCode code);
    // Sends handle + "|" + code + payload in 75 bytes. Failures: "Error Connecting - Error Code
    // 1050" or "Error Sending Request - Error Code 1010".
    QCoro::Task<> SendShortRecord(QString handle, QString address, QString payload, peer::RecordCode code,
                                  DialogOwner owner = DialogOwner::Desktop);

    RecordSender &records() { return m_sender; }

private:
    RecordSender &m_sender;
    const LogonState &m_session;
    Notices &m_notices;
};

} // namespace quibo
