#include "contacts/ContactRequests.h"

#include "notices/Notices.h"

namespace quibo {

ContactRequests::ContactRequests(Notices &notices) : m_notices(notices)
{
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
