#pragma once

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QList>
#include <QObject>
#include <QString>

#include <QSet>

#include <deque>

namespace quibo {

class ContactTable;
class Notices;
class RecordSender;

// What a failed delivery tells the user: the first line when the connection failed, and when
// the send failed.
struct DeliveryMessages {
    QString notConnected;
    QString sendFailed;
};

// A typed line or the closing notice.
inline const DeliveryMessages LineMessages{QStringLiteral("Host Closed Channel"),
                                           QStringLiteral("Send Error - Error Code 1006")};
// A member's line passed on by the host.
inline const DeliveryMessages RelayMessages{QStringLiteral("Error Connecting - Error Code 1011"),
                                            QStringLiteral("Send Error - Error Code 1012")};
// A joined or left notice.
inline const DeliveryMessages NoticeMessages{QStringLiteral("Error Connecting - Error Code 1017"),
                                             QStringLiteral("Error Sending Request - Error Code 1018")};

// Everything this client sends on the channel port, one line after another, so every
// recipient gets its rows in the order they were shown here. A line goes to all its
// recipients at once; failures are then told in table order. A member that could not be
// reached stays a member and is tried with every line (its listener may just not have been
// up yet), but the host hears of it once per channel, not once per line.
class ChannelOutbox : public QObject {
    Q_OBJECT
public:
    struct Recipient {
        int index = -1; // contact index; -1 for none
        QString address;
    };
    // Who a line goes to: the members of the hosted channel, or one client (the host, or a
    // host told of a join or a leave).
    enum class To { Members, One };
    struct Line {
        QByteArray bytes;
        QList<Recipient> to;
        DeliveryMessages messages;
        To kind = To::One;
    };

    // The members of the hosted channel, in table order.
    static QList<Recipient> members(const ContactTable &contacts);

    ChannelOutbox(RecordSender &sender, quint16 port, ContactTable &contacts, Notices &notices,
                  QObject *parent = nullptr);

    // Queues `line`; returns its number.
    quint64 post(Line line);
    // A new hosted channel: its members' failures are told afresh.
    void newChannel() { m_toldUnreachable.clear(); }
    // Completes once line `number` has been delivered and its failures told.
    QCoro::Task<> untilDelivered(quint64 number);

Q_SIGNALS:
    void delivered(quint64 number);

private:
    QCoro::Task<> run();
    QCoro::Task<> deliver(Line line);

    RecordSender &m_sender;
    const quint16 m_port;
    ContactTable &m_contacts;
    Notices &m_notices;
    std::deque<Line> m_queue;
    quint64 m_posted = 0;
    quint64 m_delivered = 0;
    bool m_running = false;
    QSet<int> m_toldUnreachable; // members the host has heard could not be reached
};

} // namespace quibo
