#include "history/HistoryRows.h"

namespace quibo {

namespace {
QString outcomeText(FileOutcome outcome)
{
    switch (outcome) {
    case FileOutcome::Busy:
        return QStringLiteral(" - busy");
    case FileOutcome::Declined:
        return QStringLiteral(" - declined");
    case FileOutcome::Received:
        return QStringLiteral(" - received");
    case FileOutcome::Failed:
        return QStringLiteral(" - failed");
    case FileOutcome::None:
    case FileOutcome::Offered:
        break;
    }
    return {};
}
} // namespace

QString partyLabel(const Party &party)
{
    return party.kind == Party::Kind::Channel ? party.handle + QStringLiteral("'s channel") : party.handle;
}

HistoryRow historyRow(const HistoryEntry &entry, const QList<TextSpan> &marks)
{
    const QString who = entry.direction == Direction::Out ? QStringLiteral("You") : entry.party.handle;
    QString before;
    QString after;
    switch (entry.kind) {
    case EntryKind::Message:
        before = who + QStringLiteral(": ");
        break;
    case EntryKind::Smiley:
        before = who + QStringLiteral(" sent the smiley ");
        break;
    case EntryKind::Sound:
        before = who + QStringLiteral(" sent the sound ");
        break;
    case EntryKind::ChannelLine:
    case EntryKind::PrivateChatLine:
        break;
    case EntryKind::File:
        before = who + QStringLiteral(" offered ");
        after = QStringLiteral(" (%1 bytes)").arg(entry.fileSize) + outcomeText(entry.outcome);
        break;
    }
    HistoryRow row{entry.time, partyLabel(entry.party), before + entry.text + after, {}};
    for (const TextSpan &mark : marks)
        row.marks.append({mark.start + before.size(), mark.length});
    return row;
}

} // namespace quibo
