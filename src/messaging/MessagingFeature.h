#pragma once

#include "notices/Notices.h"
#include "peer/Origin.h"

#include <QCoro/QCoroTask>
#include <QStringList>

namespace quibo {

struct Selection;
struct SendMessageFields;
class CommandHandlers;
class ContactTable;
class Dispatcher;
class Journal;
class Messaging;
class Notices;
class SoundPlayer;

// Messages, smileys and sounds plugged into the listener and the main window: the records
// with their codes or none, the contact menu's items, and a double-click on the list.
class MessagingFeature {
public:
    struct Parts {
        Messaging &messaging;
        const Selection &selection;
        const ContactTable &contacts;
        SendMessageFields &sendFields;
        Notices &notices;
        SoundPlayer &sound;
        Journal &journal;
    };

    MessagingFeature(Parts parts, Dispatcher &dispatcher, CommandHandlers &commands);

private:
    void plugRecords(Dispatcher &dispatcher);
    void plugCommands(CommandHandlers &commands);
    QCoro::Task<> showSmiley(SmileyPopup popup, Origin from);
    QCoro::Task<> playClips(QStringList clips);
    void recordReceived(const Origin &from, bool smiley, const QString &name);
    void noteSender(const Origin &from);
    void addressToSelected();

    Parts m_parts;
};

} // namespace quibo
