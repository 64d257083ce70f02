#pragma once

#include <QDateTime>
#include <QString>

#include <utility>

namespace quibo {

enum class Direction { In, Out };

enum class EntryKind { Message, Smiley, Sound, ChannelLine, PrivateChatLine, File };

// How a file offer ended; Offered while no answer has come.
enum class FileOutcome { None, Offered, Busy, Declined, Received, Failed };

// Whose history an entry belongs to: a contact by handle, or a channel by its host's handle.
struct Party {
    enum class Kind { Contact, Channel };
    Kind kind = Kind::Contact;
    QString handle;

    static Party contact(QString handle) { return {Kind::Contact, std::move(handle)}; }
    static Party channel(QString host) { return {Kind::Channel, std::move(host)}; }
    friend bool operator==(const Party &, const Party &) = default;
};

// One thing that happened between the user and a contact or a channel.
struct HistoryEntry {
    QDateTime time; // left invalid, the journal stamps it with the current time
    Direction direction = Direction::In;
    EntryKind kind = EntryKind::Message;
    Party party;
    QString text;         // the message, the smiley's or sound's name, the line, the file's name
    qint64 fileSize = -1; // files only
    FileOutcome outcome = FileOutcome::None; // files only

    friend bool operator==(const HistoryEntry &, const HistoryEntry &) = default;
};

inline HistoryEntry fileEntry(Direction direction, Party party, QString name, qint64 size,
                              FileOutcome outcome)
{
    return {{}, direction, EntryKind::File, std::move(party), std::move(name), size, outcome};
}

// Where the features write what happened. Writing never fails the caller and never waits
// for the disk to flush; when history is off nothing is kept.
class Journal {
public:
    virtual ~Journal() = default;
    virtual void record(HistoryEntry entry) = 0;
    // The outcome of the latest file entry of `party` in `direction` named `fileName` that is
    // still Offered; nothing when there is none.
    virtual void settleFile(const Party &party, Direction direction, const QString &fileName,
                            FileOutcome outcome) = 0;
};

} // namespace quibo
