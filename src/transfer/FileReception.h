#pragma once

#include "peer/Origin.h"

#include <QCoro/QCoroTask>
#include <QString>

namespace quibo {

struct LogonState;
class Dispatcher;
class Notices;
class PeerSender;

// A file offered by a contact ("|600").
struct FileOffer {
    Origin from;
    QString sizeText; // the digits as they came, at most 9
    QString fileName;
};

// The listener's side of receiving files: "|600".
class FileReception {
public:
    FileReception(const LogonState &logon, PeerSender &sender, Notices &notices, Dispatcher &dispatcher);

    // "|600" while no file is being received (the notification sound has started): the
    // receive-file dialog.
    QCoro::Task<> OnFileOffer(FileOffer offer);

    bool receiving = false;

private:
    QCoro::Task<> offered(Origin from, QString body);

    const LogonState &m_logon;
    PeerSender &m_sender;
    Notices &m_notices;
};

} // namespace quibo
