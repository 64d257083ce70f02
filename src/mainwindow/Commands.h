#pragma once

#include <QList>
#include <QString>

namespace quibo {

// The main window's commands, by the ids of their menu items and buttons.
enum class Command : int {
    LogOff = 1000,
    ChatChannel = 1011,
    Exit = 32771,
    ManageContacts = 32773,
    HostChannel = 32777,
    SendMessage = 32782,
    PrivateChat = 32783,
    JoinChannel = 32790,
    Smile = 32791,
    Frown = 32792,
    Wink = 32793,
    SoundLol = 32794,
    SoundApplause = 32796,
    SoundKiss = 32797,
    Aahhh = 32798,
    Possessed = 32799,
    Kiss = 32800,
    Oops = 32801,
    SoundShoot = 32802,
    SoundBoing = 32803,
    SoundWhip = 32805,
    SoundIncoming = 32808,
    SoundHurl = 32810,
    Contents = 32811,
    About = 32813,
    WebSite = 32816,
    ChangeInfo = 32819,
    SendFile = 32821,
    SoundCatFight = 32823,
    SoundWoof = 32824,
    ContactWebPage = 32825,
    PersonalInfo = 32826,
    MyWebPage = 32827,
    MyUserInfo = 32828,
};

// A menu described as data: the widget builds it, tests read it.
struct MenuItem {
    QString text; // empty with id 0 and no children: a separator
    int id = 0;   // 0 for a sub-menu, a separator, or an item with no command
    QList<MenuItem> children;

    [[nodiscard]] bool isSeparator() const { return text.isEmpty() && id == 0 && children.isEmpty(); }
};

// Menu 133, the menu bar: its top-level items in order.
const QList<MenuItem> &mainMenuBar();
// The first sub-menu of menu 144: the contact popup menu.
const QList<MenuItem> &contactMenu();

} // namespace quibo
