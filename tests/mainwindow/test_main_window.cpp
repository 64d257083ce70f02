#include "TestClient.h"
#include "TestFiles.h"

#include "mainwindow/MainWindowTask.h"

#include <gtest/gtest.h>

#include <functional>

using namespace quibo;
using namespace quibo::test;

namespace {
// A client whose main window is open, with "carol" offline and "LoopBack" and "bob" listed at
// positions 0 and 1 (table indexes 1 and 2).
struct Window : TestClient {
    Window()
    {
        client->contacts().AddContactRecord(QStringLiteral("carol"), QStringLiteral("0"), false);
        client->contacts().AddContactRecord(QStringLiteral("LoopBack"), QStringLiteral("127.0.0.1"), true);
        client->contacts().AddContactRecord(QStringLiteral("bob"), QStringLiteral("0"), true);
        client->mainWindowTask().open();
    }
    const Selection &selection() const { return client->selection(); }
    const SendMessageFields &fields() const { return client->sendMessageFields(); }
    MainWindowTask &task() { return client->mainWindowTask(); }
};

} // namespace

// Click and right-click pick the contact of the item, enable "Ch&at Channel" (even before
// logon), address the send dialog and pop up the contact menu; an item with no contact keeps
// the contact, and the empty part of the list does nothing.
TEST(Selection, ClicksSelectTheContactOfTheItemAndShowTheMenu)
{
    for (const bool right : {false, true}) {
        Window t;
        const auto click = [&](int item) {
            right ? t.mainWindow.rightClick(item) : t.mainWindow.click(item);
        };
        click(1);
        EXPECT_EQ(t.selection().selectedContact, 2);
        EXPECT_TRUE(t.mainWindow.channelButtonEnabled);
        EXPECT_EQ(t.fields().m_to, QStringLiteral("bob"));
        click(0);
        EXPECT_EQ(t.fields().m_to, QStringLiteral("LoopBack"));
        click(7);
        EXPECT_EQ(t.selection().clickedItem, 7);
        EXPECT_EQ(t.fields().m_to, QStringLiteral("LoopBack"));
        EXPECT_EQ(t.mainWindow.contactMenuShown, 3);

        t.mainWindow.channelButtonEnabled = false;
        click(-1);
        t.mainWindow.doubleClick(-1);
        EXPECT_EQ(t.selection().selectedContact, 1);
        EXPECT_FALSE(t.mainWindow.channelButtonEnabled);
        EXPECT_EQ(t.mainWindow.contactMenuShown, 3);
        EXPECT_TRUE(t.messages.dialogs.isEmpty());
    }
}

TEST(Selection, WhileAReplyIsWrittenTheListAndSendMessageDoNothing)
{
    Window t;
    t.messages.receivedScript = {ScriptedMessages::Step::Reply}; // the reply's dialog stays open
    t.client->messaging().showReceivedMessage(QStringLiteral("hi"));
    ASSERT_TRUE(waitFor([&] { return t.client->messaging().state().replyPending(); }));
    const qsizetype dialogs = t.messages.dialogs.size();
    const QString to = t.fields().m_to;
    t.mainWindow.click(1);
    t.mainWindow.rightClick(1);
    t.mainWindow.doubleClick(1);
    t.mainWindow.choose(Command::SendMessage);
    EXPECT_EQ(t.mainWindow.contactMenuShown, 0);
    EXPECT_FALSE(t.mainWindow.channelButtonEnabled);
    EXPECT_EQ(t.fields().m_to, to);
    EXPECT_EQ(t.messages.dialogs.size(), dialogs);
}

TEST(Selection, DoubleClickAndSendMessageOpenTheSendDialogForTheSelectedContact)
{
    Window t;
    t.mainWindow.click(0);
    t.mainWindow.doubleClick(1);
    ASSERT_EQ(t.messages.dialogs.size(), 1);
    const auto dialog = t.messages.dialogs.constFirst();
    EXPECT_EQ(dialog->owner, DialogOwner::MainWindow);
    EXPECT_EQ(dialog->shownTo, QStringLiteral("bob"));
    EXPECT_EQ(t.selection().clickedItem, 0) << "only clicks move clickedItem";
    EXPECT_EQ(t.mainWindow.contactMenuShown, 1);
    dialog->press(MessageUi::CancelButton);
    ASSERT_TRUE(waitFor([&] { return !t.task().isBusy(); }));

    t.mainWindow.click(0);
    t.mainWindow.choose(Command::SendMessage);
    ASSERT_EQ(t.messages.dialogs.size(), 2);
    EXPECT_EQ(t.messages.dialogs.constLast()->shownTo, QStringLiteral("LoopBack")) << "the click chose it";
}

// Commands run one at a time in arrival order: a command that waits for a dialog holds back
// everything behind it, clicks and the close box included.
TEST(Queue, ADialogHoldsBackTheCommandsBehindIt)
{
    Window t;
    t.ui.holdDialogs(true);
    t.mainWindow.choose(Command::About);
    t.mainWindow.choose(Command::ManageContacts);
    t.mainWindow.click(1);
    EXPECT_EQ(t.ui.log, QStringList{QStringLiteral("about|main")});
    EXPECT_EQ(t.task().pendingCount(), 2);

    t.ui.releaseDialogs();
    ASSERT_TRUE(waitFor([&] { return t.ui.log.size() == 2; }));
    EXPECT_EQ(t.ui.log.last(),
              QStringLiteral("message|Can't Open Manage Contacts Window|You Are Not Logged On Yet"));
    EXPECT_EQ(t.mainWindow.contactMenuShown, 0);

    t.ui.releaseDialogs();
    ASSERT_TRUE(waitFor([&] { return t.mainWindow.contactMenuShown == 1; }));
    EXPECT_FALSE(t.task().isBusy());
}

TEST(Queue, TheOpenSendDialogHoldsBackTheCloseBox)
{
    Window t;
    t.mainWindow.choose(Command::SendMessage);
    t.mainWindow.closeBox();
    t.mainWindow.choose(Command::About);
    EXPECT_FALSE(t.process.ended());
    EXPECT_TRUE(t.ui.log.isEmpty());

    t.messages.dialogs.constFirst()->press(MessageUi::CancelButton);
    ASSERT_TRUE(waitFor([&] { return t.process.ended(); }));
    EXPECT_TRUE(waitFor([&] { return t.ui.log.contains(QStringLiteral("about|main")); }))
        << "the process control decides when the program ends; the queue goes on until then";
}

TEST(Queue, EscEndsTheTaskAndDropsWhatWaits)
{
    Window t;
    t.ui.holdDialogs(true);
    t.mainWindow.choose(Command::About);
    t.mainWindow.choose(Command::About);
    t.mainWindow.pressEsc();
    t.mainWindow.click(1);
    t.ui.releaseDialogs();
    QCoreApplication::processEvents();
    EXPECT_EQ(t.ui.log, QStringList{QStringLiteral("about|main")});
    EXPECT_EQ(t.mainWindow.contactMenuShown, 0);
    EXPECT_FALSE(t.mainWindow.shown);
    EXPECT_FALSE(t.process.ended());
}

// From the main window's menu and close box, and from the tray's menu.
TEST(Commands, LogOffExitAndTheCloseBoxEndTheProgramBeforeLogon)
{
    const std::function<void(Window &)> ways[] = {
        [](Window &t) { t.mainWindow.choose(Command::LogOff); },
        [](Window &t) { t.mainWindow.choose(Command::Exit); },
        [](Window &t) { t.mainWindow.closeBox(); },
        [](Window &t) { Q_EMIT t.tray.logOffChosen(); },
        [](Window &t) { Q_EMIT t.tray.exitChosen(); },
    };
    for (std::size_t way = 0; way < std::size(ways); ++way) {
        Window t;
        ways[way](t);
        ASSERT_TRUE(waitFor([&] { return t.process.ended(); })) << way;
        EXPECT_EQ(t.process.exitCodes.constFirst(), 0);
    }
}

// The shell opens the pages and help files that exist, by their place in the working
// directory; a missing one opens nothing.
TEST(Commands, ShellOpensTheFilesThatExist)
{
    const std::pair<Command, const char16_t *> cases[] = {{Command::MyWebPage, u"html/index.htm"},
                                                          {Command::MyUserInfo, u"html/userinfo.htm"},
                                                          {Command::Contents, u"chathelp.hlp"},
                                                          {Command::WebSite, u"quibo32.htm"}};
    for (const auto &[command, file] : cases) {
        Window t;
        const QString path = QFileInfo(t.dir.filePath(QString::fromUtf16(file))).absoluteFilePath();
        t.mainWindow.choose(command);
        EXPECT_TRUE(t.shell.opened.isEmpty()) << path.toStdString();
        ASSERT_TRUE(writeFile(path, {}));
        t.mainWindow.choose(command);
        EXPECT_EQ(t.shell.opened, QStringList{path});
        EXPECT_TRUE(t.ui.log.isEmpty());
    }
}

// Commands reach the features that registered them, the channel's on their own without
// holding the window's commands; the empty menu-bar entries carry no command. Not logged on,
// no chat or Change Your Info opens and the client stays free for the next.
TEST(Commands, RegisteredHandlers)
{
    Window t;
    for (const int id : {int(Command::ManageContacts), int(Command::ChatChannel), int(Command::HostChannel),
                         int(Command::PrivateChat), int(Command::ChangeInfo), 15421, 12345})
        Q_EMIT t.mainWindow.commandChosen(id);
    const QString notLoggedOn = QStringLiteral("message|Can't Start Chat Channel|You Are Not Logged On");
    ASSERT_TRUE(waitFor([&] { return t.ui.log.count(notLoggedOn) == 3 && t.ui.log.size() == 5; }))
        << t.ui.log.join(u',').toStdString();
    EXPECT_TRUE(
        t.ui.log.contains(QStringLiteral("message|You Can't Change Your Info|You Are Not Logged On Yet")));
    EXPECT_TRUE(t.channel.windows.isEmpty() && t.privateChat.windows.isEmpty() &&
                t.registration.log.isEmpty());
    EXPECT_FALSE(t.client->privateChat().session().busy());
}
