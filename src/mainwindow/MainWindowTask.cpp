#include "mainwindow/MainWindowTask.h"

#include "base/LogonState.h"
#include "base/Tasks.h"
#include "base/WorkingDirectory.h"
#include "contacts/ContactTable.h"
#include "mainwindow/Selection.h"
#include "notices/Notices.h"
#include "ports/MainWindowUi.h"
#include "ports/Shell.h"

#include <QFileInfo>

namespace quibo {

MainWindowTask::MainWindowTask(const LogonState &logon, Selection &selection, MainWindowView &view,
                               const ContactTable &contacts, Notices &notices, Shell &shell,
                               const WorkingDirectory &workDir, EndSession endSession, QObject *parent)
    : QObject(parent), m_logon(logon), m_selection(selection), m_view(view), m_contacts(contacts),
      m_notices(notices), m_shell(shell), m_workDir(workDir), m_endSession(std::move(endSession))
{
    connect(&m_view, &MainWindowView::commandChosen, this, [this](int id) { post({Kind::Command, id}); });
    connect(&m_view, &MainWindowView::itemClicked, this, [this](int position) {
        post({Kind::Click, position});
    });
    connect(&m_view, &MainWindowView::itemRightClicked, this, [this](int position) {
        post({Kind::RightClick, position});
    });
    connect(&m_view, &MainWindowView::itemDoubleClicked, this, [this](int position) {
        post({Kind::DoubleClick, position});
    });
    connect(&m_view, &MainWindowView::filesDropped, this, [this](int position, const QStringList &paths) {
        post({Kind::Drop, position, paths});
    });
    connect(&m_view, &MainWindowView::closeRequested, this, [this] { post({Kind::Close}); });
    connect(&m_view, &MainWindowView::dismissed, this, &MainWindowTask::onDismissed);
}

void MainWindowTask::open()
{
    m_view.setStatusText(QStringLiteral("Please Wait..."));
    m_view.setContactMenu(m_handlers.contactMenu());
    m_view.show();
    // The window carries the own handle once logon has read it; until then its own caption.
    if (!m_logon.ownHandle.isEmpty())
        m_view.setTitle(m_logon.ownHandle);
}

void MainWindowTask::post(Input input)
{
    if (m_ended)
        return;
    m_pending.enqueue(input);
    if (!m_running)
        startTask(this, "main window", [this] { return drain(); });
}

void MainWindowTask::onDismissed()
{
    // Esc ends the window and its task; what was still waiting goes with it.
    m_ended = true;
    m_pending.clear();
}

QCoro::Task<> MainWindowTask::drain()
{
    m_running = true;
    try {
        while (!m_pending.isEmpty() && !m_ended)
            co_await run(m_pending.dequeue());
    } catch (const TaskCancelled &) {
        throw; // the window is going away: touch nothing
    } catch (...) {
        m_running = false; // the next input starts the task afresh; startTask logs the failure
        throw;
    }
    m_running = false;
}

QCoro::Task<> MainWindowTask::run(Input input)
{
    switch (input.kind) {
    case Kind::Command:
        co_await runCommand(input.value);
        break;
    case Kind::Close:
        co_await m_endSession();
        break;
    case Kind::Click:
    case Kind::RightClick:
        if (select(input.kind, input.value))
            showContactMenu();
        break;
    case Kind::DoubleClick:
        if (select(input.kind, input.value))
            co_await runHandler(m_handlers.doubleClick());
        break;
    case Kind::Drop:
        co_await drop(input.value, std::move(input.paths));
        break;
    }
}

// Picks the contact of a list item. False when the list should do nothing more: no item was
// selected, or a feature holds the list back (a reply to a received message is being written).
bool MainWindowTask::select(Kind kind, int position)
{
    if (kind != Kind::DoubleClick)
        m_selection.clickedItem = position < 0 ? -1 : position;
    if (position < 0)
        return false;
    if (const std::optional<int> index = m_contacts.ContactFromListItem(position))
        m_selection.selectedContact = *index;
    return !m_handlers.listHeld();
}

void MainWindowTask::showContactMenu()
{
    m_view.setChannelButtonEnabled(true);
    m_handlers.menuOpening();
    m_view.showContactMenu();
}

QCoro::Task<> MainWindowTask::runCommand(int id)
{
    const auto command = static_cast<Command>(id);
    switch (command) {
    case Command::LogOff:
    case Command::Exit:
        co_await m_endSession();
        break;
    case Command::MyWebPage:
        openDocument(m_workDir.file(QStringLiteral("html/index.htm")));
        break;
    case Command::MyUserInfo:
        openDocument(m_workDir.file(QStringLiteral("html/userinfo.htm")));
        break;
    case Command::Contents:
        openDocument(m_workDir.findInstalled(QStringLiteral("chathelp.hlp")));
        break;
    case Command::WebSite:
        openDocument(m_workDir.findInstalled(QStringLiteral("quibo32.htm")));
        break;
    case Command::About:
        co_await m_notices.showAbout(DialogOwner::MainWindow);
        break;
    case Command::ManageContacts:
        co_await manageContacts();
        break;
    default:
        // A feature's command; the empty menu-bar entries and anything unknown have none.
        if (const std::function<void()> start = m_handlers.detached(command))
            start();
        else
            co_await runHandler(m_handlers.handler(command));
        break;
    }
}

QCoro::Task<> MainWindowTask::manageContacts()
{
    if (m_logon.notLoggedOn) {
        co_await m_notices.showSystemMessage(DialogOwner::MainWindow,
                                             QStringLiteral("Can't Open Manage Contacts Window"),
                                             QStringLiteral("You Are Not Logged On Yet"));
        co_return;
    }
    co_await runHandler(m_handlers.handler(Command::ManageContacts));
}

QCoro::Task<> MainWindowTask::runHandler(CommandHandlers::Handler handler)
{
    if (handler)
        co_await handler();
}

// A drop selects the contact it lands on, as a click would, and the feature decides the rest.
QCoro::Task<> MainWindowTask::drop(int position, QStringList paths)
{
    const CommandHandlers::DropHandler handler = m_handlers.drop();
    if (!handler)
        co_return;
    const std::optional<int> contact = position < 0 ? std::nullopt : m_contacts.ContactFromListItem(position);
    if (contact && m_handlers.listHeld())
        co_return;
    if (contact) {
        m_selection.clickedItem = position;
        m_selection.selectedContact = *contact;
    }
    co_await handler(contact, std::move(paths));
}

void MainWindowTask::openDocument(const QString &path)
{
    // A file that is not there opens nothing; the program shows no message of its own.
    if (!path.isEmpty() && QFileInfo(path).isFile())
        m_shell.openDocument(path);
}

} // namespace quibo
