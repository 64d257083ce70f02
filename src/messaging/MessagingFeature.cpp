#include "messaging/MessagingFeature.h"

#include "contacts/ContactTable.h"
#include "mainwindow/CommandHandlers.h"
#include "mainwindow/Selection.h"
#include "messaging/Messaging.h"
#include "messaging/Smileys.h"
#include "notices/Notices.h"
#include "peer/Dispatcher.h"
#include "ports/Journal.h"
#include "ports/SoundPlayer.h"

namespace quibo {

MessagingFeature::MessagingFeature(Parts parts, Dispatcher &dispatcher, CommandHandlers &commands)
    : m_parts(parts)
{
    plugRecords(dispatcher);
    plugCommands(commands);
}

void MessagingFeature::plugRecords(Dispatcher &dispatcher)
{
    dispatcher.onSender([this](const Origin &from) { noteSender(from); });
    for (const messaging::SmileyRow &row : messaging::smileys()) {
        dispatcher.on(row.code, [this, &popup = row.popup](Origin from, QString) {
            recordReceived(from, true, popup.look.name);
            return showSmiley(popup, std::move(from));
        });
    }
    for (const messaging::SoundRow &row : messaging::sounds()) {
        dispatcher.on(row.code, [this, &row](Origin from, QString) {
            recordReceived(from, false, messaging::soundName(row));
            return playClips(row.clips);
        });
    }
    dispatcher.onMessage(
        [this](QString body) { return m_parts.messaging.showReceivedMessage(std::move(body)); });
}

void MessagingFeature::plugCommands(CommandHandlers &commands)
{
    Messaging &messaging = m_parts.messaging;
    commands.add(Command::SendMessage, [&messaging] { return messaging.sendMessageCommand(); });
    for (const messaging::SmileyRow &row : messaging::smileys()) {
        commands.addMenuItem(SendSmileyMenu, row.popup.look.name, row.command, [&messaging, &row] {
            return messaging.sendSmileyOrSound(row.code, EntryKind::Smiley, row.popup.look.name);
        });
    }
    for (const messaging::SoundRow &row : messaging::sounds()) {
        if (row.command) {
            commands.addMenuItem(SendSoundMenu, row.menuText, *row.command, [&messaging, &row] {
                return messaging.sendSmileyOrSound(row.code, EntryKind::Sound, messaging::soundName(row));
            });
        }
    }
    // While a reply is being written, the list only selects.
    commands.addListGuard([this] { return m_parts.messaging.state().replyPending(); });
    commands.addMenuOpening([this] { addressToSelected(); });
    commands.setDoubleClick([&messaging] { return messaging.sendMessageToSelected(); });
}

QCoro::Task<> MessagingFeature::showSmiley(SmileyPopup popup, Origin from)
{
    co_await m_parts.notices.showSmiley(std::move(popup), from.name);
}

QCoro::Task<> MessagingFeature::playClips(QStringList clips)
{
    for (const QString &clip : clips)
        co_await m_parts.sound.play(clip);
}

void MessagingFeature::recordReceived(const Origin &from, bool smiley, const QString &name)
{
    m_parts.journal.record(
        {{}, Direction::In, smiley ? EntryKind::Smiley : EntryKind::Sound, Party::contact(from.name), name});
}

void MessagingFeature::noteSender(const Origin &from)
{
    const QString shownName =
        from.own() || from.index < 0 ? from.name : m_parts.contacts.contact(from.index).displayHandle;
    m_parts.messaging.noteSender(shownName, from.address);
}

void MessagingFeature::addressToSelected()
{
    const int selected = m_parts.selection.selectedContact;
    if (m_parts.contacts.isValid(selected))
        m_parts.sendFields.m_to = m_parts.contacts.contact(selected).displayHandle;
}

} // namespace quibo
