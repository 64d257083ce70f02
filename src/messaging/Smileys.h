#pragma once

#include "mainwindow/Commands.h"
#include "notices/Notices.h"
#include "peer/PeerRecord.h"

#include <QList>
#include <QStringList>

#include <optional>

namespace quibo::messaging {

// A smiley: the code it travels as, the contact menu's command that sends it, and the popup
// it shows at the receiver, named with the menu's text.
struct SmileyRow {
    peer::RecordCode code;
    Command command;
    SmileyPopup popup;
};

// A sound: the code it travels as, the command and menu text that send it (none for the
// sounds no menu sends), and the clips the receiver plays, one after the other.
struct SoundRow {
    peer::RecordCode code;
    std::optional<Command> command;
    QString menuText;
    QStringList clips;
};

// Each in the order of its menu. A smiley or a sound is one row of these tables: the
// dispatcher, the menus and the sender take everything from them.
const QList<SmileyRow> &smileys();
const QList<SoundRow> &sounds();
// A sound as the history names it: its menu text, or its first clip when it has no menu item.
QString soundName(const SoundRow &row);

} // namespace quibo::messaging
