#pragma once

#include "peer/Origin.h"
#include "ports/Journal.h"

#include <QCoro/QCoroTask>
#include <QObject>
#include <QStringList>

#include <optional>

namespace quibo {

struct Selection;
class CommandHandlers;
class ContactTable;
class Dispatcher;
class Logoff;
class Notices;
class PeerSender;
class TransferUi;
class WorkingDirectory;

// The sender's side of file transfer: "Send File" (the copy into "html/tmp", then the offer
// "|600"), the files offered during the run, deleted at logoff, and the answers to the offers
// ("|601", "|602", "|603").
class FileOffers : public QObject {
    Q_OBJECT
public:
    struct Parts {
        const WorkingDirectory &dir;
        const Selection &selection;
        const ContactTable &contacts;
        Notices &notices;
        PeerSender &sender;
        TransferUi &ui;
        Journal &journal;
    };
    FileOffers(Parts parts, Dispatcher &dispatcher, Logoff &logoff, CommandHandlers &commands,
               QObject *parent = nullptr);

    QCoro::Task<> SendFile();
    // Files dropped on the main window's list: one file onto an online contact is offered to
    // them as Send File offers it; anything else is said and sends nothing.
    QCoro::Task<> dropFiles(std::optional<int> contact, QStringList paths);

private:
    // Copies the file at `path` into "html/tmp" and offers it to the selected contact.
    QCoro::Task<> offerFile(QString path);
    // Puts a snapshot of the file at `path` into "html/tmp" under `name`, so that later writes
    // never reach the receiver: a reflink where the file system has them, else a copy in steps,
    // so the program stays responsive. The snapshot's size, or nothing when it failed.
    QCoro::Task<std::optional<qint64>> publish(QString path, QString name);
    void deleteOfferedFiles();
    // A receiver's answer to an offer: the offer's entry in the history ends with it.
    void settle(const Origin &from, const QString &fileName, FileOutcome outcome);

    Parts m_parts;
    // SentFileList: names of the files offered during this run, inside "html/tmp", in the
    // order sent; as many as were sent.
    QStringList m_sentFiles;
};

} // namespace quibo
