#pragma once

#include "mainwindow/Commands.h"

#include <QCoro/QCoroTask>
#include <QStringList>

#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace quibo {

// What the features do when the user chooses a command or uses the contact list. Each feature
// registers its part once, while the client is put together; a command that nobody registered
// does nothing. Handlers are plain lambdas that return a member coroutine's task (no coroutine
// lambdas).
class CommandHandlers {
public:
    using Handler = std::function<QCoro::Task<>()>;

    // Runs in the main window's task: the inputs behind it wait until it ends.
    void add(Command command, Handler handler);
    // An item of the contact menu's sub-menu `submenu` (SendSmileyMenu, SendSoundMenu), after
    // the items added before it, with its command run as add() runs it.
    void addMenuItem(const QString &submenu, const QString &text, Command command, Handler handler);
    // Starts work that runs on its own: the main window's task goes on at once.
    void addDetached(Command command, std::function<void()> start);
    // Asked when a click or double-click has selected a contact: true holds back the menu or
    // the double-click's action.
    void addListGuard(std::function<bool()> holds);
    // Runs just before the contact menu pops up.
    void addMenuOpening(std::function<void()> opening);
    // A double-click on a listed contact, once it is selected.
    void setDoubleClick(Handler handler);
    // Files dropped on the list: onto the contact at `contact` (selected by then), or onto no
    // contact at all.
    using DropHandler = std::function<QCoro::Task<>(std::optional<int> contact, QStringList paths)>;
    void setDrop(DropHandler handler) { m_drop = std::move(handler); }

    // The main window's side. Empty functions when nothing was registered.
    [[nodiscard]] Handler handler(Command command) const;
    [[nodiscard]] std::function<void()> detached(Command command) const;
    [[nodiscard]] bool listHeld() const;
    void menuOpening() const;
    [[nodiscard]] Handler doubleClick() const { return m_doubleClick; }
    [[nodiscard]] DropHandler drop() const { return m_drop; }
    // The contact menu with the features' items.
    [[nodiscard]] QList<MenuItem> contactMenu() const;

private:
    std::map<Command, Handler> m_handlers;
    std::map<Command, std::function<void()>> m_detached;
    std::vector<std::function<bool()>> m_listGuards;
    std::vector<std::function<void()>> m_menuOpening;
    Handler m_doubleClick;
    DropHandler m_drop;
    std::map<QString, QList<MenuItem>> m_menuItems; // by sub-menu
};

} // namespace quibo
