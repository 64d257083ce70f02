#pragma once

#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QList>
#include <QObject>
#include <QString>

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
// reached is unmarked, so it costs one message, not one per line.
class ChannelOutbox : public QObject {
    Q_OBJECT
public:
    struct Recipient {
        int index = -1; // contact index; -1 for none
        QString address;
    };
    struct Line {
        QByteArray bytes;
        QList<Recipient> to;
        DeliveryMessages messages;
        bool unmarkFailed = false; // the recipients are members of the hosted channel
    };

    // The members of the hosted channel, in table order.
    static QList<Recipient> members(const ContactTable &contacts);

    ChannelOutbox(RecordSender &sender, quint16 port, ContactTable &contacts, Notices &notices,
                  QObject *parent = nullptr);

    // Queues `line`; returns its number.
    quint64 post(Line line);
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
};

} // namespace quibo
