#include "peer/Dispatcher.h"

#include "base/Utf8.h"
#include "channel/ChannelJoin.h"
#include "channel/PrivateChatPeer.h"
#include "contacts/ContactRequests.h"
#include "contacts/ContactTable.h"
#include "messaging/Messaging.h"
#include "notices/Notices.h"
#include "peer/PeerSender.h"
#include "ports/SoundPlayer.h"
#include "transfer/FileReception.h"

#include <array>

namespace quibo {

namespace {
using peer::Code;

const QString LoopBackName = QStringLiteral("LoopBack");
const QString LoopBackAddress = QStringLiteral("127.0.0.1");

// The branches of the dispatch, in the order the body is compared with them.
constexpr std::array DispatchOrder{
    Code::Online,       Code::Offline,       Code::JoinAsk,       Code::JoinYes,       Code::JoinNo,
    Code::Refused,      Code::Accepted,      Code::Smile,         Code::Frown,         Code::Wink,
    Code::SoundLol,     Code::SoundApplause, Code::Fart,          Code::Sick,          Code::Burp,
    Code::SoundHurl,    Code::Jam,           Code::SoundIncoming, Code::SoundCatFight, Code::SoundKiss,
    Code::SoundWhip,    Code::SoundWoof,     Code::SoundBoing,    Code::SoundShoot,    Code::Possessed,
    Code::Kiss,         Code::Oops,          Code::Aahhh,         Code::ChatRequest,   Code::ChatClosed,
    Code::ChatDeclined, Code::ChatBusy,      Code::FileBusy,      Code::FileDeclined,  Code::FileReceived,
    Code::FileOffer,
};

std::optional<Smiley> smileyOf(Code code)
{
    switch (code) {
    case Code::Smile:
        return Smiley::Smile;
    case Code::Frown:
        return Smiley::Frown;
    case Code::Wink:
        return Smiley::Wink;
    case Code::Possessed:
        return Smiley::Possessed;
    case Code::Kiss:
        return Smiley::Kiss;
    case Code::Aahhh:
        return Smiley::Aahhh;
    case Code::Oops:
        return Smiley::Oops;
    default:
        return std::nullopt;
    }
}

bool fitsField(const QString &text, qsizetype bytes)
{
    return text.toUtf8().size() <= bytes;
}
} // namespace

Dispatcher::Dispatcher(SessionState &session, ContactTable &contacts, Messaging &messaging, Notices &notices,
                       SoundPlayer &sound, PeerSender &sender, PeerHandlers handlers)
    : m_session(session), m_contacts(contacts), m_messaging(messaging), m_notices(notices), m_sound(sound),
      m_sender(sender), m_handlers(handlers)
{
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
    if (record.handle == m_session.ownHandle) {
        from.own = true;
        from.name = LoopBackName;
        from.address = LoopBackAddress;
    }
    if (from.index < 0 && !from.own)
        return std::nullopt;
    return from;
}

QCoro::Task<> Dispatcher::handle(QByteArray received)
{
    const peer::PeerText record = peer::parseRecord(received);
    if (!record.hasSeparator)
        co_return;
    const std::optional<Origin> from = identify(record);
    if (!from) {
        // A stranger: only an announcement, once the contacts are resolved, is a request to add.
        if (m_session.contactsResolved && peer::bodyHasCode(record.body, Code::Online) &&
            !record.handle.isEmpty() && fitsField(record.handle, peer::HandleBytes)) {
            const QString address =
                utf8::cut(peer::payloadAfter(record.body, Code::Online), peer::RequesterAddressBytes);
            co_await m_handlers.contactRequests.OnContactRequest(record.handle, address);
        }
        co_return;
    }
    const QString shownName =
        from->own || from->index < 0 ? from->name : m_contacts.contact(from->index).displayHandle;
    m_messaging.noteSender(shownName, from->address);
    co_await dispatch(*from, record.body);
}

QCoro::Task<> Dispatcher::dispatch(Origin from, QString body)
{
    bool handled = false;
    for (const Code code : DispatchOrder) {
        if (!handled && peer::bodyHasCode(body, code))
            handled = co_await takeByCode(from, body, code);
    }
    // Any other body beginning with "|" is taken without effect; the rest is a message.
    if (!handled && !body.startsWith(peer::FieldSeparator))
        co_await m_messaging.showReceivedMessage(body);
}

QCoro::Task<bool> Dispatcher::takeByCode(Origin from, QString body, Code code)
{
    const QString payload = peer::payloadAfter(body, code);
    if (const std::optional<Smiley> smiley = smileyOf(code)) {
        co_await m_notices.showSmiley(*smiley, from.name);
        co_return true;
    }
    if (const QStringList clips = peer::codeEntry(code).clips; !clips.isEmpty()) {
        co_await playClips(clips);
        co_return true;
    }
    switch (code) {
    case Code::Online:
        if (from.own)
            co_return false;
        m_contacts.MarkContactOnline(from.index, payload);
        co_return true;
    case Code::Offline:
        // An own record acts on a contact only when the own handle is in the table.
        m_contacts.MarkContactOffline(from.index);
        co_return true;
    case Code::JoinAsk:
        co_await m_handlers.channelJoin.AnswerJoin(from);
        co_return true;
    case Code::JoinYes:
        m_handlers.channelJoin.hostIndex = from.index;
        m_handlers.channelJoin.JoinedChannel(from);
        co_return true;
    case Code::JoinNo:
        co_await message(QStringLiteral("Contact Is Not Hosting A Chat Channel"), QString(), false);
        co_return true;
    case Code::Refused:
        if (from.index >= 0)
            co_await m_handlers.contactRequests.OnRequestRefused(from.index, from.handle);
        co_return true;
    case Code::Accepted:
        co_await m_handlers.contactRequests.OnRequestAccepted(from.handle);
        co_return true;
    case Code::ChatRequest:
        if (m_handlers.privateChat.inPrivateChat) {
            co_await m_sender.SendShortRecord(m_session.ownHandle, from.address, peer::NoPayload,
                                              peer::codeEntry(Code::ChatBusy).text);
        } else {
            m_notices.playNotificationSound();
            co_await m_handlers.privateChat.OnChatRequest(from);
        }
        co_return true;
    case Code::ChatClosed:
        m_handlers.privateChat.peerClosed = true;
        co_return true;
    case Code::ChatDeclined:
        co_await message(from.name + QStringLiteral(" Does Not Want To Join"),
                         QStringLiteral("Private Chat, Maybe Later ..."), true);
        m_handlers.privateChat.OnChatRefused();
        co_return true;
    case Code::ChatBusy:
        co_await message(from.name + QStringLiteral(" Is Busy In Another Chat Session"),
                         QStringLiteral("Try Again Later"), true);
        m_handlers.privateChat.OnChatRefused();
        co_return true;
    case Code::FileBusy:
        co_await message(from.name + QStringLiteral(" Is Busy Receiving Another File"),
                         QStringLiteral("Try To Send It Again Later"), true);
        co_return true;
    case Code::FileDeclined:
        co_await message(from.name + QStringLiteral(" Does Not Want The File"),
                         QStringLiteral("File Transfer Cancelled"), true);
        co_return true;
    case Code::FileReceived:
        co_await message(from.name + QStringLiteral(" Has Received ") + payload,
                         QStringLiteral("File Transfer Complete"), true);
        co_return true;
    case Code::FileOffer: {
        const std::optional<peer::FileOfferText> offer = peer::parseFileOffer(body);
        if (!offer)
            co_return false; // no "<": nothing to offer
        if (m_handlers.fileReception.receiving) {
            // Busy: answered, and the record is then taken without further effect.
            co_await m_sender.SendShortRecord(m_session.ownHandle, from.address,
                                              from.own ? payload : offer->fileName,
                                              peer::codeEntry(Code::FileBusy).text);
            co_return false;
        }
        m_notices.playNotificationSound();
        co_await m_handlers.fileReception.OnFileOffer(FileOffer{from, offer->sizeText, offer->fileName});
        co_return true;
    }
    default:
        co_return false;
    }
}

QCoro::Task<> Dispatcher::message(QString line1, QString line2, bool withSound)
{
    if (withSound)
        m_notices.playNotificationSound();
    co_await m_notices.showSystemMessage(DialogOwner::Desktop, std::move(line1), std::move(line2));
}

QCoro::Task<> Dispatcher::playClips(QStringList clips)
{
    for (const QString &clip : clips)
        co_await m_sound.play(clip);
}

} // namespace quibo
