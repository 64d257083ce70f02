#pragma once

#include "directory/DirectoryClient.h"

#include <QCoro/QCoroTask>
#include <QObject>
#include <QStringList>

#include <optional>
#include <vector>

namespace quibo {

class Wakeup;

// Asks the directory for a list of handles' addresses (DirectoryClient::sendLookup) side by side, at most
// limits::AddressLookupsInFlight at a time, and hands the answers out in list order, however
// they arrive. The requests in flight belong to this object and end with it.
class AddressLookups : public QObject {
    Q_OBJECT
public:
    explicit AddressLookups(DirectoryClient &directory, QObject *parent = nullptr);
    ~AddressLookups() override;

    // Drops any earlier list, with its requests, and starts asking for `handles`.
    void start(QStringList handles);
    // The answer for the next handle of the list, once it is in. Call once per handle; one
    // task at a time.
    QCoro::Task<DirectoryReply> next();

private:
    void sendMore();
    void answered(qsizetype index, DirectoryRequest *request);

    DirectoryClient &m_directory;
    Wakeup *m_wakeup = nullptr;
    QStringList m_handles;
    std::vector<std::optional<DirectoryReply>> m_answers;
    qsizetype m_sent = 0;
    qsizetype m_handedOut = 0;
    int m_inFlight = 0;
};

} // namespace quibo
