#pragma once

#include "base/SessionState.h"
#include "peer/Origin.h"
#include "peer/PeerRecord.h"

#include <QByteArray>
#include <QCoro/QCoroTask>

#include <optional>

namespace quibo {

class ChannelJoin;
class ContactRequests;
class ContactTable;
class FileReception;
class Messaging;
class Notices;
class PeerSender;
class PrivateChatPeer;
class SoundPlayer;

// The seams through which records reach the features they concern.
struct PeerHandlers {
    ContactRequests &contactRequests;
    ChannelJoin &channelJoin;
    PrivateChatPeer &privateChat;
    FileReception &fileReception;
};

// Identifies the sender of each received record and acts on it, branch by branch in the
// order of the code table. Completes when the record is fully handled (dialogs closed,
// clips played).
class Dispatcher {
public:
    Dispatcher(SessionState &session, ContactTable &contacts, Messaging &messaging, Notices &notices,
               SoundPlayer &sound, PeerSender &sender, PeerHandlers handlers);

    QCoro::Task<> handle(QByteArray received);

    // The sender of `record`: a contact (the last match) or the user's own handle; nothing
    // for strangers. Pure: writes no dialog fields.
    [[nodiscard]] std::optional<Origin> identify(const peer::PeerText &record) const;

private:
    QCoro::Task<> dispatch(Origin from, QString body);
    QCoro::Task<bool> takeByCode(Origin from, QString body, peer::Code code);
    QCoro::Task<> message(QString line1, QString line2, bool withSound);
    QCoro::Task<> playClips(QStringList clips);

    SessionState &m_session;
    ContactTable &m_contacts;
    Messaging &m_messaging;
    Notices &m_notices;
    SoundPlayer &m_sound;
    PeerSender &m_sender;
    PeerHandlers m_handlers;
};

} // namespace quibo
