#include "mainwindow/Commands.h"

namespace quibo {

namespace {
MenuItem item(const char16_t *text, Command command)
{
    return MenuItem{QString::fromUtf16(text), static_cast<int>(command), {}};
}
MenuItem checkable(const char16_t *text, Command command)
{
    MenuItem made = item(text, command);
    made.checkable = true;
    return made;
}

MenuItem separator()
{
    return {};
}
MenuItem submenu(const QString &text, QList<MenuItem> children)
{
    return MenuItem{text, 0, std::move(children)};
}
MenuItem submenu(const char16_t *text, QList<MenuItem> children)
{
    return submenu(QString::fromUtf16(text), std::move(children));
}
// A top-level entry with no text and no command (menu ids 15421 and 12345).
MenuItem empty(int id)
{
    return MenuItem{QString(), id, {}};
}
} // namespace

const QList<MenuItem> &mainMenuBar()
{
    static const QList<MenuItem> menu{
        submenu(u"&File",
                {item(u"&Host Chat Channel", Command::HostChannel), separator(),
                 item(u"My Web Page", Command::MyWebPage), item(u"My User Info", Command::MyUserInfo),
                 separator(), item(u"E&xit", Command::Exit)}),
        empty(15421),
        submenu(u"&Config",
                {item(u"&Manage Contacts", Command::ManageContacts),
                 item(u"&Change Your Info", Command::ChangeInfo), separator(),
                 item(u"&History", Command::History), checkable(u"Start at &Login", Command::StartAtLogin)}),
        empty(12345),
        submenu(u"&Help", {item(u"&Contents", Command::Contents), item(u"&About Quibo32", Command::About),
                           item(u"&Quibo Web Site", Command::WebSite)}),
    };
    return menu;
}

const QList<MenuItem> &contactMenuFrame()
{
    static const QList<MenuItem> menu{
        item(u"Send Message", Command::SendMessage),
        submenu(SendSmileyMenu, {}),
        submenu(SendSoundMenu, {}),
        item(u"Send File", Command::SendFile),
        separator(),
        item(u"Private Chat", Command::PrivateChat),
        item(u"Join Chat Channel", Command::JoinChannel),
        separator(),
        item(u"Contact's Web Page", Command::ContactWebPage),
        item(u"Personal Info", Command::PersonalInfo),
        separator(),
        item(u"History", Command::ContactHistory),
    };
    return menu;
}

} // namespace quibo
