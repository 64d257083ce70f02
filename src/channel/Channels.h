#pragma once

#include "channel/ChannelJoin.h"
#include "channel/ChannelOutbox.h"
#include "channel/ChannelSession.h"
#include "channel/ChannelWindow.h"
#include "channel/HostedChannel.h"
#include "peer/Listener.h"

#include <QObject>

namespace quibo {

struct Config;
struct Timings;

// Chat channels put together: the one channel window and listener of the client, shared by
// the host and the member roles, with the lines of the channel port passed to the role in use.
class Channels : public QObject {
    Q_OBJECT
public:
    struct Parts {
        const Config &config;
        const Timings &timings;
        const LogonState &logon;
        const Selection &selection;
        ContactTable &contacts;
        PeerSender &sender;
        Notices &notices;
        ChannelUi &ui;
        Journal &journal;
    };
    Channels(Parts parts, Dispatcher &dispatcher, CommandHandlers &commands, QObject *parent = nullptr);

    const ChannelSession &session() const { return m_session; }
    Listener &listener() { return *m_listener; }
    const Listener &listener() const { return *m_listener; }
    ChannelOutbox &outbox() { return *m_outbox; }
    HostedChannel &hosted() { return *m_hosted; }
    ChannelJoin &join() { return *m_join; }

private:
    QCoro::Task<> received(QHostAddress from, QString line);
    QCoro::Task<> listenerGaveUp();

    Notices &m_notices;
    ChannelSession m_session;
    ChannelOutbox *m_outbox;
    ChannelWindow *m_window;
    Listener *m_listener;
    HostedChannel *m_hosted;
    ChannelJoin *m_join;
};

} // namespace quibo
