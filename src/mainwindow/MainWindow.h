#pragma once

#include "base/SessionState.h"
#include "mainwindow/Commands.h"

#include <QCoro/QCoroTask>
#include <QObject>
#include <QQueue>

#include <functional>

namespace quibo {

class ContactTable;
class MainWindowView;
class Messaging;
class Notices;
class Shell;
class WorkingDirectory;

// Commands that other parts of the program carry out. An empty handler does nothing.
// Handlers are plain lambdas that return a member coroutine's task (no coroutine lambdas).
struct CommandHandlers {
    using Handler = std::function<QCoro::Task<>()>;

    std::function<void()> hostChannel; // "Ch&at Channel" and "&Host Chat Channel"; runs on its own
    Handler manageContacts;            // only called once logged on
    Handler changeYourInfo;
    Handler sendFile;
    Handler privateChat;
    Handler joinChannel; // asks the contact at SessionState::clickedItem
    Handler contactWebPage;
    Handler personalInfo;
};

// The main window's task: takes the window's commands, list clicks and close requests in
// arrival order and runs them one at a time. A command that waits for a dialog or a send
// holds back the ones behind it, as the window's own thread would.
class MainWindow : public QObject {
    Q_OBJECT
public:
    using EndSession = std::function<QCoro::Task<>()>;

    MainWindow(SessionState &session, MainWindowView &view, const ContactTable &contacts,
               Messaging &messaging, Notices &notices, Shell &shell, const WorkingDirectory &workDir,
               EndSession endSession, QObject *parent = nullptr);

    // Shows the window with "Please Wait..." and starts taking its commands.
    void open();

    CommandHandlers &handlers() { return m_handlers; }
    // Inputs waiting behind the one being run.
    [[nodiscard]] qsizetype pendingCount() const { return m_pending.size(); }
    [[nodiscard]] bool isBusy() const { return m_running; }

private:
    enum class Kind { Command, Click, RightClick, DoubleClick, Close };
    struct Input {
        Kind kind;
        int value = 0;
    };

    void post(Input input);
    void onDismissed();
    QCoro::Task<> drain();
    QCoro::Task<> run(Input input);
    QCoro::Task<> runCommand(int id);
    QCoro::Task<> runHandler(CommandHandlers::Handler handler);
    QCoro::Task<> manageContacts();
    bool select(Kind kind, int position);
    void showContactMenu();
    void openDocument(const QString &path);

    SessionState &m_session;
    MainWindowView &m_view;
    const ContactTable &m_contacts;
    Messaging &m_messaging;
    Notices &m_notices;
    Shell &m_shell;
    const WorkingDirectory &m_workDir;
    EndSession m_endSession;
    CommandHandlers m_handlers;
    QQueue<Input> m_pending;
    bool m_running = false;
    bool m_ended = false;
};

} // namespace quibo
