#include "WidgetTestKit.h"

#include "channel/widgets/ChatDialogs.h"
#include "channel/widgets/WidgetChatUi.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

using namespace quibo;
using namespace quibo::test;

namespace {

TEST(ChatWindows, TheChannelWindowTypesSendsAndCloses)
{
    WidgetChannelUi ui;
    ChatFields fields;
    auto view = ui.openChannelWindow(QStringLiteral("anna"), fields);
    QPointer<CChatChannelDlg> dialog = openWindow<CChatChannelDlg>();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Quibo32 Chat Channel"));
    EXPECT_EQ(dialog->hostLabel(), QStringLiteral("anna"));
    EXPECT_EQ(dialog->list()->headerItem()->text(0), QStringLiteral("Incoming Messages"));
    EXPECT_EQ(dialog->list()->columnWidth(0), 400);
    EXPECT_EQ(dialog->list()->palette().color(QPalette::Text), QColor(0, 0, 213));
    EXPECT_EQ(buttonTexts(dialog), QStringList{QStringLiteral("Close Channel")});
    auto *ok = button(dialog, "okButton");
    EXPECT_TRUE(ok->isDefault());

    QSignalSpy actions(view.get(), &DialogView::action);
    QTest::keyClicks(dialog->edit(), QString(140, u'x'));
    EXPECT_EQ(fields.m_message, QString(130, u'x'));
    QTest::keyClick(dialog->edit(), Qt::Key_Return);
    fields.m_message.clear();
    view->refresh();
    EXPECT_TRUE(dialog->edit()->text().isEmpty());
    view->appendRow(QStringLiteral("anna> one"));
    view->appendRow(QStringLiteral("bob> two"));
    EXPECT_EQ(dialog->rows(), (QStringList{QStringLiteral("anna> one"), QStringLiteral("bob> two")}));
    button(dialog, "closeButton")->click();

    // Esc closes it like the close box; the window goes with its view.
    QTest::keyClick(dialog->edit(), Qt::Key_Escape);
    EXPECT_FALSE(view->isOpen());
    EXPECT_EQ(firstArguments(actions),
              (QList<int>{ChatView::EnterButton, ChatView::CloseButton, DialogView::Closed}));
    view.reset();
    EXPECT_FALSE(dialog);
}

TEST(ChatWindows, PrivateChatHeaderAndTheInitiatorsFirstRow)
{
    WidgetPrivateChatUi ui;
    ChatFields fields;
    for (const bool initiator : {true, false}) {
        auto view = ui.openPrivateChat({QStringLiteral("bob "), QStringLiteral(" anna"), initiator}, fields);
        auto *dialog = openWindow<CPrivateChatDlg>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Quibo32 Private Chat Channel"));
        EXPECT_EQ(dialog->header(), QStringLiteral("bob <--> anna"));
        EXPECT_EQ(dialog->edit()->maxLength(), 130);
        EXPECT_EQ(dialog->rows(), initiator
                                      ? QStringList{QStringLiteral("Please Wait For Contact To Join ...")}
                                      : QStringList());
    }
}

TEST(ChatWindows, TheRequestWindowAsksYesOrNo)
{
    WidgetPrivateChatUi ui;
    for (const bool yes : {true, false}) {
        const auto answer = result(ui.askPrivateChat(QStringLiteral("bob")));
        auto *dialog = openWindow<CPrivateChatRequestDlg>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Quibo32 - Request For Private Chat"));
        EXPECT_EQ(dialog->lines(), (QStringList{QStringLiteral("bob"),
                                                QStringLiteral("Wants You To Join A Private Chat Session"),
                                                QStringLiteral("Do You Want To Join?")}));
        EXPECT_EQ(buttonTexts(dialog), (QStringList{QStringLiteral("&Yes"), QStringLiteral("&No")}));
        button(dialog, yes ? "yesButton" : "noButton")->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return answer->has_value(); }));
        EXPECT_EQ(**answer, yes);
    }
}

} // namespace
