#include "mainwindow/CommandHandlers.h"

#include <algorithm>

namespace quibo {

void CommandHandlers::add(Command command, Handler handler)
{
    Q_ASSERT(!m_handlers.contains(command) && !m_detached.contains(command));
    m_handlers[command] = std::move(handler);
}

void CommandHandlers::addMenuItem(const QString &submenu, const QString &text, Command command,
                                  Handler handler)
{
    m_menuItems[submenu].append(MenuItem{text, static_cast<int>(command), {}});
    add(command, std::move(handler));
}

QList<MenuItem> CommandHandlers::contactMenu() const
{
    QList<MenuItem> menu = contactMenuFrame();
    for (MenuItem &item : menu) {
        if (const auto added = m_menuItems.find(item.text); added != m_menuItems.end() && item.id == 0)
            item.children = added->second;
    }
    return menu;
}

void CommandHandlers::addDetached(Command command, std::function<void()> start)
{
    Q_ASSERT(!m_handlers.contains(command) && !m_detached.contains(command));
    m_detached[command] = std::move(start);
}

void CommandHandlers::addListGuard(std::function<bool()> holds)
{
    m_listGuards.push_back(std::move(holds));
}

void CommandHandlers::addMenuOpening(std::function<void()> opening)
{
    m_menuOpening.push_back(std::move(opening));
}

void CommandHandlers::setDoubleClick(Handler handler)
{
    Q_ASSERT(!m_doubleClick);
    m_doubleClick = std::move(handler);
}

CommandHandlers::Handler CommandHandlers::handler(Command command) const
{
    const auto found = m_handlers.find(command);
    return found == m_handlers.end() ? Handler() : found->second;
}

std::function<void()> CommandHandlers::detached(Command command) const
{
    const auto found = m_detached.find(command);
    return found == m_detached.end() ? std::function<void()>() : found->second;
}

bool CommandHandlers::listHeld() const
{
    return std::any_of(m_listGuards.cbegin(), m_listGuards.cend(), [](const auto &holds) { return holds(); });
}

void CommandHandlers::menuOpening() const
{
    for (const auto &opening : m_menuOpening)
        opening();
}

} // namespace quibo
