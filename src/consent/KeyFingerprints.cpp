#include "consent/KeyFingerprints.h"

#include "contacts/ContactTable.h"
#include "keys/KeyMaking.h"
#include "mainwindow/CommandHandlers.h"
#include "mainwindow/Selection.h"
#include "notices/Notices.h"

namespace quibo {

KeyFingerprints::KeyFingerprints(Parts parts, CommandHandlers &commands) : m_parts(std::move(parts))
{
    commands.add(Command::ContactKey, [this] { return showContacts(); });
    commands.add(Command::OwnKey, [this] { return showOwn(); });
}

QCoro::Task<> KeyFingerprints::showContacts()
{
    const int selected = m_parts.selection.selectedContact;
    if (!m_parts.contacts.isValid(selected))
        co_return;
    const ContactRecord &contact = m_parts.contacts.contact(selected);
    QString line1 = contact.handle + QStringLiteral("'s Key Fingerprint");
    QString line2 = keys::readableFingerprint(contact.keyFingerprint);
    if (contact.keyHeld)
        line1 = contact.handle + QStringLiteral(" Has A New Key Not Yet Accepted");
    if (!contact.secure) {
        line1 = contact.handle + QStringLiteral(" Has No Key");
        line2 = contact.keyHeld ? QStringLiteral("Nothing Is Sent Until You Accept That")
                                : QStringLiteral("A Classic Account, Spoken To In Clear");
    }
    co_await m_parts.notices.showSystemMessage(DialogOwner::MainWindow, line1, line2);
}

QCoro::Task<> KeyFingerprints::showOwn()
{
    const QByteArray own = m_parts.ownFingerprint ? m_parts.ownFingerprint() : QByteArray();
    if (own.isEmpty())
        co_await m_parts.notices.showSystemMessage(DialogOwner::MainWindow, QStringLiteral("You Have No Key"),
                                                   QStringLiteral("It Could Not Be Read Or Made"));
    else
        co_await m_parts.notices.showSystemMessage(
            DialogOwner::MainWindow, QStringLiteral("Your Key Fingerprint"), keys::readableFingerprint(own));
}

} // namespace quibo
