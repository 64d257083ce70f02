#pragma once

#include "peer/Origin.h"
#include "peer/PeerRecord.h"
#include "ports/Journal.h"
#include "ports/TransferUi.h"
#include "transfer/PartRecords.h"

#include <QCoro/QCoroTask>
#include <QObject>
#include <QString>

#include <memory>
#include <optional>

namespace quibo {

struct Config;
struct LogonState;
struct Timings;
class Attention;
class WorkingDirectory;
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

// Where the receiver is with an offer: asking the user, choosing where to save, downloading.
// Busy for any other offer from the question until the download has ended.
enum class ReceptionPhase { Idle, Asking, Choosing, Downloading };

// The receiver's side of file transfer: "|600", the question, the save chooser, the download
// with its progress window, and the answers "|601", "|602" and "|603".
class FileReception : public QObject {
    Q_OBJECT
public:
    struct Parts {
        const LogonState &logon;
        const Config &config;
        const Timings &timings;
        const WorkingDirectory &dir;
        PeerSender &sender;
        Notices &notices;
        TransferUi &ui;
        Journal &journal;
        Attention &attention;
    };
    FileReception(Parts parts, Dispatcher &dispatcher, QObject *parent = nullptr);
    ~FileReception() override;

    // "|600" while no file is being received (the notification sound has started): asks the
    // user, and on "&Yes" starts the download on its own task.
    QCoro::Task<> onFileOffer(FileOffer offer);

    // The offered name reduced to a plain file name: no folders, no control characters,
    // never empty, "." or "..".
    static QString cleanFileName(const QString &offered);
    // What a partial download keeps of its offer, one line each: the sender's handle, its
    // address, the size text, then the offered name (which may hold line ends itself).
    static QByteArray partNote(const FileOffer &offer);

    [[nodiscard]] ReceptionPhase phase() const { return m_phase; }

private:
    QCoro::Task<> offered(Origin from, QString body);
    QCoro::Task<> receiveFile();
    QCoro::Task<> answer(peer::RecordCode code);
    QCoro::Task<> tellLostConnection();
    // How the offer being answered ended, for the history.
    void settle(FileOutcome outcome);
    // Where the part of this offer was being saved, when it is on disk, labelled with the same
    // offer (or not labelled at all) and shorter than the file.
    std::optional<QString> earlierPart() const;
    QList<transfer::PartRecord> readPartRecords() const;
    void writePartRecords(const QList<transfer::PartRecord> &records) const;

    // The phase's only writers, in the order of an offer; any phase may end.
    void ask() { enter(ReceptionPhase::Idle, ReceptionPhase::Asking); }
    void accept() { enter(ReceptionPhase::Asking, ReceptionPhase::Choosing); }
    void startDownload() { enter(ReceptionPhase::Choosing, ReceptionPhase::Downloading); }
    void end() { m_phase = ReceptionPhase::Idle; }
    void enter(ReceptionPhase from, ReceptionPhase to)
    {
        Q_ASSERT(m_phase == from);
        m_phase = to;
    }

    ReceptionPhase m_phase = ReceptionPhase::Idle;
    Parts m_parts;
    FileDownload *m_download;
    FileOffer m_offer;
    std::unique_ptr<ReceivingView> m_progress;
};

} // namespace quibo
