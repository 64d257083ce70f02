#pragma once

#include "mainwindow/CommandHandlers.h"

#include <QCoro/QCoroTask>
#include <QObject>
#include <QQueue>
#include <QStringList>

#include <functional>

namespace quibo {

struct LogonState;
struct Selection;
class ContactTable;
class MainWindowView;
class Notices;
class Shell;
class WorkingDirectory;

// The main window's task: takes the window's commands, list clicks and close requests in
// arrival order and runs them one at a time. A command that waits for a dialog or a send
// holds back the ones behind it, as the window's own thread would. Its own commands are the
// pages, help, About, Log Off and Exit; the features register the rest in handlers(). A click
// selects the contact in `selection`, which only this task writes.
class MainWindowTask : public QObject {
    Q_OBJECT
public:
    using EndSession = std::function<QCoro::Task<>()>;

    MainWindowTask(const LogonState &logon, Selection &selection, MainWindowView &view,
                   const ContactTable &contacts, Notices &notices, Shell &shell,
                   const WorkingDirectory &workDir, EndSession endSession, QObject *parent = nullptr);

    // Shows the window with "Please Wait..." and starts taking its commands.
    void open();

    CommandHandlers &handlers() { return m_handlers; }
    // A command chosen outside the window (the tray's menu), run in turn with the window's.
    void choose(int commandId) { post({Kind::Command, commandId}); }
    // Inputs waiting behind the one being run.
    [[nodiscard]] qsizetype pendingCount() const { return m_pending.size(); }
    [[nodiscard]] bool isBusy() const { return m_running; }
    [[nodiscard]] const Selection &selection() const { return m_selection; }

private:
    enum class Kind { Command, Click, RightClick, DoubleClick, Drop, Close };
    struct Input {
        Kind kind;
        int value = 0;
        QStringList paths = {}; // of a drop
    };

    void post(Input input);
    void onDismissed();
    QCoro::Task<> drain();
    QCoro::Task<> run(Input input);
    QCoro::Task<> runCommand(int id);
    QCoro::Task<> runHandler(CommandHandlers::Handler handler);
    QCoro::Task<> drop(int position, QStringList paths);
    QCoro::Task<> manageContacts();
    bool select(Kind kind, int position);
    void showContactMenu();
    void openDocument(const QString &path);

    const LogonState &m_logon;
    Selection &m_selection;
    MainWindowView &m_view;
    const ContactTable &m_contacts;
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
