#include "transfer/FileReception.h"

#include "base/LogonState.h"
#include "notices/Notices.h"
#include "peer/Dispatcher.h"
#include "peer/PeerSender.h"

namespace quibo {

using peer::Code;

FileReception::FileReception(const LogonState &logon, PeerSender &sender, Notices &notices,
                             Dispatcher &dispatcher)
    : m_logon(logon), m_sender(sender), m_notices(notices)
{
    dispatcher.on(Code::FileOffer,
                  [this](Origin from, QString body) { return offered(std::move(from), std::move(body)); });
}

QCoro::Task<> FileReception::offered(Origin from, QString body)
{
    const std::optional<peer::FileOfferText> offer = peer::parseFileOffer(body);
    if (!offer)
        co_return; // no "<": nothing to offer
    if (receiving) {
        // Busy: answered, and nothing more. The name is named first: g++ 12 destroys a
        // temporary of ?: inside co_await twice.
        const QString name = from.own ? peer::payloadAfter(body, Code::FileOffer) : offer->fileName;
        co_await m_sender.SendShortRecord(m_logon.ownHandle, from.address, name,
                                          peer::codeEntry(Code::FileBusy).text);
        co_return;
    }
    m_notices.playNotificationSound();
    co_await OnFileOffer(FileOffer{std::move(from), offer->sizeText, offer->fileName});
}

QCoro::Task<> FileReception::OnFileOffer(FileOffer offer)
{
    // The receive-file dialog comes with receiving files.
    Q_UNUSED(offer);
    co_return;
}

} // namespace quibo
