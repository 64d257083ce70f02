#include "app/HistoryCommands.h"

#include "base/WorkingDirectory.h"
#include "contacts/ContactTable.h"
#include "mainwindow/CommandHandlers.h"
#include "mainwindow/Selection.h"
#include "notices/Notices.h"
#include "platform/Autostart.h"
#include "ports/MainWindowUi.h"

#include <QCoreApplication>

namespace quibo {

HistoryCommands::HistoryCommands(Parts parts, CommandHandlers &commands)
    : m_parts(parts), m_preferences(parts.workDir.file(QString::fromLatin1(PreferencesFile::FileName))),
      m_store(parts.workDir.path(), parts.timings), m_browser(m_store, m_preferences, parts.ui)
{
    m_store.setKeeping(m_preferences.values().keepHistory);
    commands.addDetached(Command::History, [this] { m_browser.open(std::nullopt); });
    commands.addDetached(Command::ContactHistory, [this] { openContactHistory(); });
    commands.add(Command::StartAtLogin, [this] { return toggleStartAtLogin(); });
    m_parts.mainWindow.setCommandChecked(int(Command::StartAtLogin), m_preferences.values().startAtLogin);
}

void HistoryCommands::openContactHistory()
{
    const int selected = m_parts.selection.selectedContact;
    if (m_parts.contacts.isValid(selected))
        m_browser.open(Party::contact(m_parts.contacts.contact(selected).displayHandle));
}

QCoro::Task<> HistoryCommands::toggleStartAtLogin()
{
    Preferences preferences = m_preferences.values();
    const bool wanted = !preferences.startAtLogin;
    preferences.startAtLogin = wanted;
    const bool done =
        autostart::setStartAtLogin(wanted, QCoreApplication::applicationFilePath(), m_parts.workDir.path()) &&
        m_preferences.save(preferences);
    m_parts.mainWindow.setCommandChecked(int(Command::StartAtLogin), m_preferences.values().startAtLogin);
    if (!done)
        co_await m_parts.notices.showSystemMessage(
            DialogOwner::MainWindow, QStringLiteral("Cannot Change Start at Login"), autostart::entryPath());
}

} // namespace quibo
