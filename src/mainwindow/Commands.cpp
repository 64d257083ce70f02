#include "mainwindow/Commands.h"

namespace quibo {

namespace {
MenuItem item(const char16_t *text, Command command)
{
    return MenuItem{QString::fromUtf16(text), static_cast<int>(command), {}};
}
MenuItem separator()
{
    return {};
}
MenuItem submenu(const char16_t *text, QList<MenuItem> children)
{
    return MenuItem{QString::fromUtf16(text), 0, std::move(children)};
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
        submenu(u"&Config", {item(u"&Manage Contacts", Command::ManageContacts),
                             item(u"&Change Your Info", Command::ChangeInfo)}),
        empty(12345),
        submenu(u"&Help", {item(u"&Contents", Command::Contents), item(u"&About Quibo32", Command::About),
                           item(u"&Quibo Web Site", Command::WebSite)}),
    };
    return menu;
}

const QList<MenuItem> &contactMenu()
{
    static const QList<MenuItem> menu{
        item(u"Send Message", Command::SendMessage),
        submenu(u"Send Smiley",
                {item(u"Smile", Command::Smile), item(u"Frown", Command::Frown), item(u"Wink", Command::Wink),
                 item(u"Kiss", Command::Kiss), item(u"AAHHH!", Command::Aahhh),
                 item(u"Possessed", Command::Possessed), item(u"Oops!", Command::Oops)}),
        submenu(u"Send Sound",
                {item(u"LOL", Command::SoundLol), item(u"Incoming!", Command::SoundIncoming),
                 item(u"Applause", Command::SoundApplause), item(u"Kiss", Command::SoundKiss),
                 item(u"Shoot 'Em", Command::SoundShoot), item(u"Boing!", Command::SoundBoing),
                 item(u"Whip It!", Command::SoundWhip), item(u"Woof!", Command::SoundWoof),
                 item(u"Hurl", Command::SoundHurl), item(u"Cat Fight", Command::SoundCatFight)}),
        item(u"Send File", Command::SendFile),
        separator(),
        item(u"Private Chat", Command::PrivateChat),
        item(u"Join Chat Channel", Command::JoinChannel),
        separator(),
        item(u"Contact's Web Page", Command::ContactWebPage),
        item(u"Personal Info", Command::PersonalInfo),
    };
    return menu;
}

} // namespace quibo
