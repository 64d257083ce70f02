#include "directory/Logon.h"

#include "base/Config.h"
#include "base/DottedAddress.h"
#include "base/LogonState.h"
#include "base/Tasks.h"
#include "base/Timings.h"
#include "directory/ContactPass.h"
#include "directory/DirectoryAccess.h"
#include "directory/DirectoryClient.h"
#include "directory/Logoff.h"
#include "directory/OwnAddress.h"
#include "directory/Reachability.h"
#include "directory/WorkingFiles.h"
#include "notices/Notices.h"
#include "ports/MainWindowUi.h"
#include "ports/ProcessControl.h"

namespace quibo {

Logon::Logon(Parts parts, QObject *parent) : QObject(parent), m_parts(std::move(parts))
{
}

void Logon::start()
{
    startTask(this, "logon", [this] { return LogonThread(); });
}

QCoro::Task<> Logon::LogonThread()
{
    LogonState &session = m_parts.session;
    co_await FindOwnAddress();

    std::optional<QByteArray> settings = readWorkingFile(m_parts.dir, working_files::Settings);
    if (!settings) {
        const bool registered = co_await firstRun();
        if (!registered) {
            m_parts.process.exitProcess(0);
            Q_EMIT finished();
            co_return;
        }
        settings = readWorkingFile(m_parts.dir, working_files::Settings);
    }
    session.ownHandle =
        reply_text::firstLine(settings.value_or(QByteArray()), working_files::HandleReadAtLogon);
    m_parts.mainWindow.setTitle(session.ownHandle);

    const QString storedPassword =
        reply_text::firstLine(readWorkingFile(m_parts.dir, working_files::UserInfo).value_or(QByteArray()),
                              working_files::PasswordRead);

    if (const std::optional<MessageLines> stop = co_await openDirectory(
            m_parts.directory, m_parts.notices, DialogOwner::Desktop, notConnected())) {
        co_await fail(stop->first, stop->second);
        co_return;
    }
    co_await showBroadcast();

    // Kept out of "?:": g++ 12 mishandles co_await there.
    bool published = false;
    if (m_parts.directory.isSecure()) {
        co_await findReach();
        published = co_await publishSecurely(storedPassword);
    }
    else
        published = co_await publishClassic(storedPassword);
    if (!published)
        co_return;
    if (m_parts.reach && m_parts.directory.isSecure()) {
        m_parts.reach->watch([this](Reachability::Reach reach) {
            const Reachability::Reach current{m_parts.session.publishedAddress, m_address6, m_ports,
                                              m_reachStatus};
            if (reach == current)
                return;
            startTask(this, "republish", [this, reach] {
                return republish(reach.address, reach.address6, reach.ports, reach.status);
            });
        });
    }

    session.notLoggedOn = false;
    m_parts.mainWindow.activate();

    co_await m_parts.contactPass.ResolveContacts();
    if (!m_reachStatus.isEmpty())
        m_parts.mainWindow.setStatusText(m_reachStatus);
    Q_EMIT finished();
}

QCoro::Task<bool> Logon::publishClassic(QString storedPassword)
{
    LogonState &session = m_parts.session;
    const DirectoryReply check = co_await m_parts.directory.password(session.ownHandle);
    if (!check.ok) {
        co_await fail(notConnected().first, notConnected().second);
        co_return false;
    }
    if (reply_text::firstLine(check.body, working_files::PasswordRead) != storedPassword) {
        co_await fail(invalidPassword().first, invalidPassword().second);
        co_return false;
    }
    const DirectoryReply published =
        co_await m_parts.directory.publishAddress(session.ownHandle, session.ownAddress);
    if (!published.ok)
        co_await m_parts.notices.showSystemMessage(DialogOwner::Desktop,
                                                   QStringLiteral("Error writing IP address"), QString());
    co_return true;
}

QCoro::Task<bool> Logon::publishSecurely(QString storedPassword)
{
    LogonState &session = m_parts.session;
    DirectoryClient &directory = m_parts.directory;
    QString address = session.publishedAddress.isEmpty() ? session.ownAddress : session.publishedAddress;
    if (!isDottedIPv4(address) && !m_address6.isEmpty())
        address.clear(); // IPv6 alone
    DirectoryReply published = co_await directory.publish(session.ownHandle, address, m_address6, m_ports);
    if (published.ok && (published.status == 401 || published.status == 404)) {
        // The account does not know this key: a classic account's first secure logon, or a
        // new key. The password proves the account and binds the key; nothing else sends it.
        const DirectoryReply proof = co_await directory.proveKey(session.ownHandle, storedPassword);
        std::optional<MessageLines> refused;
        if (!proof.ok)
            refused = notConnected();
        else if (proof.status == 429)
            refused = access_messages::tooManyGuesses(proof.retryAfter);
        else if (proof.status != 200)
            refused = invalidPassword();
        if (refused) {
            co_await fail(refused->first, refused->second);
            co_return false;
        }
        published = co_await directory.publish(session.ownHandle, address, m_address6, m_ports);
    }
    if (!published.ok || published.status != 200)
        co_await m_parts.notices.showSystemMessage(DialogOwner::Desktop,
                                                   QStringLiteral("Error writing IP address"), QString());
    co_return true;
}

QCoro::Task<> Logon::findReach()
{
    if (!m_parts.reach)
        co_return;
    const Reachability::Reach reach =
        co_await m_parts.reach->reach(m_parts.session.ownAddress, m_parts.directory.observedAddress());
    m_parts.session.publishedAddress = reach.address;
    m_parts.session.publishedAddress6 = reach.address6;
    m_address6 = reach.address6;
    m_ports = reach.ports;
    m_reachStatus = reach.status;
}

QCoro::Task<> Logon::republish(QString address, QString address6, QString ports, QString status)
{
    LogonState &session = m_parts.session;
    if (session.loggingOff)
        co_return;
    const DirectoryReply published =
        co_await m_parts.directory.publish(session.ownHandle, address, address6, ports);
    if (session.loggingOff) {
        // Logoff's "0" may have reached the directory first: it must stay the last word.
        co_await m_parts.directory.publish(session.ownHandle, QStringLiteral("0"));
        co_return;
    }
    if (!published.ok || published.status != 200)
        co_return; // the next round tries again
    session.publishedAddress = address;
    m_address6 = address6;
    m_ports = ports;
    m_reachStatus = status;
    if (session.contactsResolved)
        m_parts.mainWindow.setStatusText(status.isEmpty() ? QStringLiteral("Ready") : status);
}

MessageLines Logon::notConnected()
{
    return {QStringLiteral("Not Able To Connect, Make Sure"),
            QStringLiteral("You Are Logged On to Internet")};
}

MessageLines Logon::invalidPassword()
{
    return {QStringLiteral("Invalid Password - Error Code 10"),
            QStringLiteral("May Be A Server Error - Try Later")};
}

QCoro::Task<> Logon::FindOwnAddress()
{
    if (!m_parts.config.ownAddressOverride.isEmpty())
        m_parts.session.ownAddress = m_parts.config.ownAddressOverride;
    else
        m_parts.session.ownAddress = co_await findOwnAddress(this, m_parts.timings.httpTimeout);
}

QCoro::Task<bool> Logon::firstRun()
{
    if (!prepareFirstRun(m_parts.dir))
        qWarning("quibo32: the folders \"html\" and \"html/tmp\" or \"html/bg.gif\" could not all be made");
    if (!m_parts.registerUser)
        co_return false;
    // Kept out of a compound condition: g++ 12 mishandles co_await inside || and &&.
    const bool registered = co_await m_parts.registerUser();
    if (!registered)
        co_return false;
    co_await m_parts.notices.showHint(DialogOwner::Desktop);
    co_return true;
}

QCoro::Task<> Logon::showBroadcast()
{
    const DirectoryReply reply = co_await m_parts.directory.broadcast();
    if (!reply.ok)
        co_return; // logon goes on without it
    const QStringList lines = reply_text::broadcastLines(reply.body);
    if (lines.isEmpty())
        co_return;
    for (qsizetype i = 0; i < lines.size(); ++i)
        m_broadcast.lines.at(static_cast<size_t>(i)) = lines.at(i);
    if (m_parts.broadcastUi)
        co_await m_parts.broadcastUi->showBroadcastMessage(m_broadcast);
}

QCoro::Task<> Logon::fail(QString line1, QString line2)
{
    co_await m_parts.notices.showSystemMessage(DialogOwner::Desktop, line1, line2);
    m_parts.session.notLoggedOn = true;
    co_await m_parts.logoff.LogOff(DialogOwner::Desktop);
    Q_EMIT finished();
}

} // namespace quibo
