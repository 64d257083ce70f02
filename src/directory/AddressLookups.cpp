#include "directory/AddressLookups.h"

#include "base/Limits.h"
#include "base/Wakeup.h"

#include "directory/DirectoryConnections.h"

namespace quibo {

AddressLookups::AddressLookups(DirectoryClient &directory, QObject *parent)
    : QObject(parent), m_directory(directory), m_wakeup(new Wakeup(this))
{
}

AddressLookups::~AddressLookups()
{
    // A task still waiting unwinds now, while the answers it waits on exist.
    delete m_wakeup;
}

void AddressLookups::start(QStringList handles)
{
    for (DirectoryRequest *request : findChildren<DirectoryRequest *>(Qt::FindDirectChildrenOnly)) {
        request->disconnect(this);
        request->deleteLater(); // cancels it
    }
    m_handles = std::move(handles);
    m_answers.assign(static_cast<size_t>(m_handles.size()), std::nullopt);
    m_sent = 0;
    m_handedOut = 0;
    m_inFlight = 0;
    sendMore();
}

void AddressLookups::sendMore()
{
    while (m_inFlight < limits::AddressLookupsInFlight && m_sent < m_handles.size()) {
        const qsizetype index = m_sent++;
        DirectoryRequest *request = m_directory.sendLookup(m_handles.at(index));
        if (request == nullptr) {
            m_answers[static_cast<size_t>(index)] = DirectoryReply{};
            continue;
        }
        ++m_inFlight;
        request->setParent(this);
        if (request->isFinished())
            answered(index, request);
        else
            connect(request, &DirectoryRequest::finished, this,
                    [this, index, request] { answered(index, request); });
    }
    m_wakeup->wake();
}

void AddressLookups::answered(qsizetype index, DirectoryRequest *request)
{
    request->disconnect(this);
    m_answers[static_cast<size_t>(index)] = DirectoryClient::take(request);
    --m_inFlight;
    sendMore();
}

QCoro::Task<DirectoryReply> AddressLookups::next()
{
    const auto index = static_cast<size_t>(m_handedOut);
    if (index >= m_answers.size())
        co_return DirectoryReply{};
    ++m_handedOut;
    while (!m_answers[index])
        co_await m_wakeup->next();
    DirectoryReply reply = std::move(*m_answers[index]);
    m_answers[index].reset();
    co_return reply;
}

} // namespace quibo
