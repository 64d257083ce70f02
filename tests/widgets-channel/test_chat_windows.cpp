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
using namespace Qt::StringLiterals;

namespace {

TEST(ChatWindows, TheChannelWindowTypesSendsAndCloses)
{
    WidgetChannelUi ui;
    ChatFields fields;
    auto view = ui.openChannelWindow(u"anna"_s, fields);
    QPointer<CChatChannelDlg> dialog = openWindow<CChatChannelDlg>();
    ASSERT_TRUE(dialog);
    EXPECT_EQ(dialog->windowTitle(), u"Quibo32 Chat Channel"_s);
    EXPECT_EQ(dialog->hostLabel(), u"anna"_s);
    EXPECT_EQ(dialog->list()->headerItem()->text(0), u"Incoming Messages"_s);
    EXPECT_EQ(dialog->list()->columnWidth(0), 400);
    EXPECT_EQ(dialog->list()->palette().color(QPalette::Text), QColor(0, 0, 213));
    EXPECT_EQ(buttonTexts(dialog), QStringList{u"Close Channel"_s});
    auto *ok = button(dialog, "okButton");
    EXPECT_TRUE(ok->isDefault());

    QSignalSpy actions(view.get(), &DialogView::action);
    QTest::keyClicks(dialog->edit(), QString(140, u'x'));
    EXPECT_EQ(fields.m_message, QString(130, u'x'));
    QTest::keyClick(dialog->edit(), Qt::Key_Return);
    fields.m_message.clear();
    view->refresh();
    EXPECT_TRUE(dialog->edit()->text().isEmpty());
    view->appendRow(u"anna> one"_s);
    view->appendRow(u"bob> two"_s);
    EXPECT_EQ(dialog->rows(), (QStringList{u"anna> one"_s, u"bob> two"_s}));
    button(dialog, "closeButton")->click();

    // Esc closes it like the close box; the window goes with its view.
    QTest::keyClick(dialog->edit(), Qt::Key_Escape);
    EXPECT_FALSE(view->isOpen());
    EXPECT_EQ(firstArguments(actions),
              (QList<int>{ChatView::EnterButton, ChatView::CloseButton, DialogView::Closed}));
    view.reset();
    EXPECT_FALSE(dialog);
}

// The request asks yes or no; the window shows its header, and on the initiator's side its own
// first row.
TEST(ChatWindows, PrivateChatRequestAndWindow)
{
    WidgetPrivateChatUi ui;
    ChatFields fields;
    for (const bool yes : {true, false}) {
        const auto answer = result(ui.askPrivateChat(u"bob"_s));
        auto *request = openWindow<CPrivateChatRequestDlg>();
        ASSERT_NE(request, nullptr);
        EXPECT_EQ(request->windowTitle(), u"Quibo32 - Request For Private Chat"_s);
        EXPECT_EQ(request->lines(), (QStringList{u"bob"_s, u"Wants You To Join A Private Chat Session"_s,
                                                 u"Do You Want To Join?"_s}));
        EXPECT_EQ(buttonTexts(request), (QStringList{u"&Yes"_s, u"&No"_s}));
        button(request, yes ? "yesButton" : "noButton")->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return answer->has_value(); }));
        EXPECT_EQ(**answer, yes);

        const bool initiator = !yes;
        auto view = ui.openPrivateChat({u"bob "_s, u" anna"_s, initiator}, fields);
        auto *dialog = openWindow<CPrivateChatDlg>();
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(dialog->windowTitle(), u"Quibo32 Private Chat Channel"_s);
        EXPECT_EQ(dialog->header(), u"bob <--> anna"_s);
        EXPECT_EQ(dialog->edit()->maxLength(), 130);
        EXPECT_EQ(dialog->rows(),
                  initiator ? QStringList{u"Please Wait For Contact To Join ..."_s} : QStringList());
    }
}

} // namespace
