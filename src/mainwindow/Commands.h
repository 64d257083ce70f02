#pragma once

#include "ports/MainWindowUi.h"

#include <QList>
#include <QString>

namespace quibo {

// The main window's commands, by the ids of their menu items and buttons. The smiley and
// sound commands are their rows' (messaging/Smileys.cpp).
enum class Command : int {
    LogOff = 1000,
    ChatChannel = 1011,
    Exit = 32771,
    ManageContacts = 32773,
    HostChannel = 32777,
    SendMessage = 32782,
    PrivateChat = 32783,
    JoinChannel = 32790,
    Contents = 32811,
    About = 32813,
    WebSite = 32816,
    ChangeInfo = 32819,
    SendFile = 32821,
    ContactWebPage = 32825,
    PersonalInfo = 32826,
    MyWebPage = 32827,
    MyUserInfo = 32828,
    // Ours, after the classic ones.
    History = 32900,
    StartAtLogin = 32901,
    ContactHistory = 32902,
};

// Menu 133, the menu bar: its top-level items in order.
const QList<MenuItem> &mainMenuBar();
// The first sub-menu of menu 144, the contact popup menu, with the sub-menus that the features
// fill (CommandHandlers::addMenuItem) still empty.
const QList<MenuItem> &contactMenuFrame();
// The contact menu's sub-menus that features fill.
inline const QString SendSmileyMenu = QStringLiteral("Send Smiley");
inline const QString SendSoundMenu = QStringLiteral("Send Sound");

} // namespace quibo
