#include "consent/ContactRequests.h"

#include "notices/Notices.h"
#include "peer/Dispatcher.h"

namespace quibo {

using peer::Code;

ContactRequests::ContactRequests(Notices &notices, Dispatcher &dispatcher) : m_notices(notices)
{
    dispatcher.onContactRequest([this](QString handle, QString address) {
        return OnContactRequest(std::move(handle), std::move(address));
    });
    dispatcher.on(Code::Refused, [this](Origin from, QString) { return refused(std::move(from)); });
    dispatcher.on(Code::Accepted, [this](Origin from, QString) { return OnRequestAccepted(from.handle); });
}

QCoro::Task<> ContactRequests::refused(Origin from)
{
    if (from.index >= 0)
        co_await OnRequestRefused(from.index, from.handle);
}

QCoro::Task<> ContactRequests::OnContactRequest(QString handle, QString address)
{
    // The request-to-add dialog comes with adding contacts.
    Q_UNUSED(handle);
    Q_UNUSED(address);
    co_return;
}

QCoro::Task<> ContactRequests::OnRequestRefused(int senderIndex, QString handle)
{
    // The refusal message and the deletion come with adding contacts.
    Q_UNUSED(senderIndex);
    Q_UNUSED(handle);
    co_return;
}

QCoro::Task<> ContactRequests::OnRequestAccepted(QString handle)
{
    co_await m_notices.showSystemMessage(DialogOwner::Desktop, handle,
                                         QStringLiteral("User Added You To Their Contact List"));
}

} // namespace quibo
