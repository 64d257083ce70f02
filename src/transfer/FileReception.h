#pragma once

#include "peer/Origin.h"
#include "peer/PeerRecord.h"
#include "ports/TransferUi.h"

#include <QCoro/QCoroTask>
#include <QObject>
#include <QString>

#include <memory>

namespace quibo {

struct Config;
struct LogonState;
struct Timings;
class Dispatcher;
class FileDownload;
class Notices;
class PeerSender;

// A file offered by a contact ("|600").
struct FileOffer {
    Origin from;
    QString sizeText; // the digits as they came
    QString fileName; // as offered: only ever used in answers and the request
};

// The receiver's side of file transfer: "|600", the question, the save chooser, the download
// with its progress window, and the answers "|601", "|602" and "|603".
class FileReception : public QObject {
    Q_OBJECT
public:
    struct Parts {
        const LogonState &logon;
        const Config &config;
        const Timings &timings;
        PeerSender &sender;
        Notices &notices;
        TransferUi &ui;
    };
    FileReception(Parts parts, Dispatcher &dispatcher, QObject *parent = nullptr);
    ~FileReception() override;

    // "|600" while no file is being received (the notification sound has started): asks the
    // user, and on "&Yes" starts the download on its own task.
    QCoro::Task<> onFileOffer(FileOffer offer);

    // The offered name reduced to a plain file name: no folders, no control characters,
    // never empty, "." or "..".
    static QString cleanFileName(const QString &offered);

    // From "&Yes" until the download has ended.
    bool receiving = false;

private:
    QCoro::Task<> offered(Origin from, QString body);
    QCoro::Task<> receiveFile();
    QCoro::Task<> answer(peer::RecordCode code);

    Parts m_parts;
    FileDownload *m_download;
    FileOffer m_offer;
    std::unique_ptr<ReceivingView> m_progress;
};

} // namespace quibo
