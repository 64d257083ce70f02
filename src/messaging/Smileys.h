#pragma once

#include "mainwindow/Commands.h"
#include "peer/PeerRecord.h"
#include "ports/Smiley.h"

#include <QList>
#include <QStringList>

#include <optional>

namespace quibo::messaging {

// A smiley: its code, the contact menu's command that sends it, and the popup it shows.
struct SmileyRow {
    peer::RecordCode code;
    Command command;
    Smiley smiley;
};

// A sound: its code, the command that sends it (none for the sounds no menu sends), and the
// clips the receiver plays, in order.
struct SoundRow {
    peer::RecordCode code;
    std::optional<Command> command;
    QStringList clips;
};

const QList<SmileyRow> &smileys();
const QList<SoundRow> &sounds();

} // namespace quibo::messaging
