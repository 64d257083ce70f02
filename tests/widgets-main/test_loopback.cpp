#include "MenuText.h"
#include "QtPrinters.h"
#include "WidgetClient.h"

#include "messaging/widgets/CReceivedMessageDlg.h"
#include "messaging/widgets/CSendMessageDlg.h"
#include "notices/widgets/CSendingDlg.h"
#include "notices/widgets/CSmileyDlg.h"
#include "peer/Listener.h"

#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;

namespace {
// Yourself, logged on and listening, with the main window open on "LoopBack".
struct LoggedOn : WidgetClient {
    LoggedOn()
    {
        client->mainWindow().open();
        listening = startListening();
        exposed = QTest::qWaitForWindowExposed(&window());
        QTreeWidget *list = window().contactList();
        loopBack = list->visualItemRect(list->topLevelItem(0)).center();
        QObject::connect(&client->listener(), &Listener::recordHandled, [this] { ++handled; });
    }
    QWidget *listViewport() { return window().contactList()->viewport(); }
    bool listening = false;
    bool exposed = false;
    QPoint loopBack;
    int handled = 0; // records the listener has finished with, popups and dialogs closed
};
} // namespace

TEST(LoopBack, ClickingItPopsUpTheContactMenuAtTheWindowsEdge)
{
    LoggedOn t;
    ASSERT_TRUE(t.exposed);
    QTest::mouseClick(t.listViewport(), Qt::LeftButton, {}, t.loopBack);
    QMenu *menu = t.window().contactMenu();
    ASSERT_TRUE(waitFor([&] { return menu->isVisible(); }));
    EXPECT_EQ(flat(menu->actions()), flat(contactMenu()));
    const QRect frame = t.window().frameGeometry();
    EXPECT_EQ(menu->pos(), QPoint(frame.x() + frame.width() - 120, frame.y() + frame.height() - 230));
    EXPECT_TRUE(t.window().channelButton()->isEnabled());
    EXPECT_EQ(t.client->selection().clickedItem, 0);
    menu->hide();
}

TEST(LoopBack, ASmileyToYourselfShowsSendingThenThePopupFromLoopBack)
{
    LoggedOn t;
    ASSERT_TRUE(t.listening);
    ASSERT_TRUE(t.exposed);
    QTest::mouseClick(t.listViewport(), Qt::LeftButton, {}, t.loopBack);
    QMenu *menu = t.window().contactMenu();
    ASSERT_TRUE(waitFor([&] { return menu->isVisible(); }));
    QAction *smile = findAction(*menu, QStringLiteral("Smile"));
    ASSERT_NE(smile, nullptr);
    menu->hide();
    smile->trigger();

    CSendingDlg &sending = t.notices.sendingPopup();
    CSmileyDlg &popup = t.notices.smileyPopup(Smiley::Smile);
    ASSERT_TRUE(waitFor([&] { return sending.isVisible(); }));
    EXPECT_FALSE(popup.isVisible());
    ASSERT_TRUE(waitFor([&] { return popup.isVisible(); }));
    EXPECT_FALSE(sending.isVisible()) << "the record goes out once \"Sending ...\" has closed";
    EXPECT_EQ(popup.fromName(), QStringLiteral("LoopBack"));
    EXPECT_TRUE(t.client->sendMessageFields().m_message.isEmpty());
    popup.reject();
    EXPECT_TRUE(waitFor([&] { return t.handled == 1; }));
}

TEST(LoopBack, AMessageToYourselfArrivesFromLoopBack)
{
    LoggedOn t;
    ASSERT_TRUE(t.listening);
    ASSERT_TRUE(t.exposed);
    QTest::mouseDClick(t.listViewport(), Qt::LeftButton, {}, t.loopBack);
    CSendMessageDlg &send = t.messages.sendDialog();
    ASSERT_TRUE(waitFor([&] { return send.isVisible(); }));
    EXPECT_EQ(send.shownTo(), QStringLiteral("LoopBack"));
    EXPECT_FALSE(t.window().contactMenu()->isVisible()) << "a double-click is no click";

    ASSERT_TRUE(waitFor([&] { return send.focusWidget() == send.messageEdit(); }));
    QTest::keyClicks(send.messageEdit(), QStringLiteral("hello"));
    QTest::keyClick(send.messageEdit(), Qt::Key_Return);
    QTest::keyClicks(send.messageEdit(), QStringLiteral("me"));
    QPushButton *sendButton = nullptr;
    for (QPushButton *b : send.findChildren<QPushButton *>()) {
        if (b->text() == QStringLiteral("&Send"))
            sendButton = b;
    }
    ASSERT_NE(sendButton, nullptr);
    QTest::mouseClick(sendButton, Qt::LeftButton);

    CReceivedMessageDlg &received = t.messages.receivedDialog();
    ASSERT_TRUE(waitFor([&] { return received.isVisible(); }));
    EXPECT_FALSE(send.isVisible());
    EXPECT_EQ(received.shownFrom(), QStringLiteral("LoopBack"));
    EXPECT_EQ(received.messageEdit()->toPlainText(), QStringLiteral("hello\nme"));
    EXPECT_TRUE(t.sound.played.contains(QStringLiteral("async:mail.snd")));
    QTest::keyClick(&received, Qt::Key_Escape);
    EXPECT_TRUE(waitFor([&] { return t.handled == 1; }));
    EXPECT_FALSE(received.isVisible());
}
