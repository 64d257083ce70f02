#pragma once

#include "channel/PrivateChatSession.h"
#include "peer/Origin.h"
#include "peer/PeerRecord.h"

#include <QCoro/QCoroTask>
#include <QObject>

namespace quibo {

struct Config;
struct LogonState;
struct Selection;
struct Timings;
class Attention;
class CommandHandlers;
class Journal;
class ContactTable;
class Dispatcher;
class Notices;
class PeerSender;
class PrivateChatUi;
class PrivateChatWindow;

namespace channel {
// The private chat's request and answers; their payload is peer::NoPayload.
inline constexpr peer::RecordCode ChatRequest{u"|700", peer::ShortBlock};
inline constexpr peer::RecordCode ChatDeclined{u"|702", peer::ShortBlock};
inline constexpr peer::RecordCode ChatBusy{u"|703", peer::ShortBlock};
inline constexpr peer::RecordCode ChatClosed{u"|704", peer::ShortBlock};
} // namespace channel

// Private chat: the "Private Chat" command, the request "|700" and its answers "|702", "|703"
// and "|704". The window and its lines are PrivateChatWindow's.
class PrivateChatPeer : public QObject {
    Q_OBJECT
public:
    struct Parts {
        const LogonState &logon;
        const Config &config;
        const Timings &timings;
        const Selection &selection;
        const ContactTable &contacts;
        PeerSender &sender;
        Notices &notices;
        PrivateChatUi &ui;
        Journal &journal;
        Attention &attention;
    };
    PrivateChatPeer(Parts parts, Dispatcher &dispatcher, CommandHandlers &commands,
                    QObject *parent = nullptr);
    ~PrivateChatPeer() override;

    // Asks the selected contact for a private chat and opens the window to wait for it.
    QCoro::Task<> PrivateChat();
    // "|700" while not in a private chat (the notification sound has started): the request dialog.
    QCoro::Task<> onChatRequest(Origin from);
    // After "|702" or "|703" was told to the user: the private chat ends.
    void onChatRefused();

    const PrivateChatSession &session() const { return m_session; }
    PrivateChatWindow &window() { return *m_window; }
    const PrivateChatWindow &window() const { return *m_window; }

private:
    QCoro::Task<> requested(Origin from);
    QCoro::Task<> accept(Origin from);
    QCoro::Task<> closedByPeer();
    QCoro::Task<> refused(QString line1, QString line2);

    Parts m_parts;
    PrivateChatSession m_session;
    PrivateChatWindow *m_window;
};

} // namespace quibo
