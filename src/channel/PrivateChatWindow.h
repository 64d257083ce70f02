#pragma once

#include "peer/PeerSender.h"
#include "ports/ChatUi.h"
#include "ports/Journal.h"

#include <QCoro/QCoroTask>
#include <QHostAddress>
#include <QObject>

#include <memory>

namespace quibo {

class PrivateChatSession;
class Listener;

// "Quibo32 Private Chat Channel": the window's task, the lines typed and received on the
// private chat port, and how a private chat ends.
class PrivateChatWindow : public QObject {
    Q_OBJECT
public:
    struct Parts {
        PrivateChatSession &session;
        const LogonState &logon;
        const Config &config;
        const Timings &timings;
        PeerSender &sender;
        Notices &notices;
        PrivateChatUi &ui;
        Journal &journal;
    };
    explicit PrivateChatWindow(Parts parts, QObject *parent = nullptr);
    ~PrivateChatWindow() override;

    // Starts the window's task with the partner already in the session.
    void open();
    // Closes the window as "Close Channel" does.
    void close();
    // The joined or left notice: own handle + "> " + `notice`, the text and its zero byte alone.
    QCoro::Task<> sendNotice(QString address, QString notice);

    Listener &listener() { return *m_listener; }
    const Listener &listener() const { return *m_listener; }

private:
    QCoro::Task<> run();
    QCoro::Task<> sendTyped();
    QCoro::Task<> sayClosed(QString address);
    QCoro::Task<> lineArrived(QHostAddress from, QString line);
    void showLine(const QString &line, Direction direction);
    QCoro::Task<> tell(SendOutcome outcome, QString notConnected, QString sendFailed);

    Parts m_parts;
    Listener *m_listener;
    ChatFields m_fields;
    std::unique_ptr<ChatView> m_view;
};

} // namespace quibo
